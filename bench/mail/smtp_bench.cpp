// smtp_bench HOST PORT RECIPIENTS MAX
// Delivers one message to RECIPIENTS blind-copy recipients in transactions of
// MAX through the program's send action, and prints the wall time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "mail/delivery.h"
#include "mail/net_errors.h"

namespace {

class CountTransactions : public qv::IDeliveryObserver {
  public:
    void TransactionSent(std::size_t recipients) override {
        ++transactions;
        this->recipients += recipients;
    }
    std::size_t transactions = 0;
    std::size_t recipients = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fputs("usage: smtp_bench HOST PORT RECIPIENTS MAX\n", stderr);
        return 2;
    }
    const int count = std::atoi(argv[3]);
    qv::TSendRequest request;
    request.From = "Jo Citizen <jo@home.example>";
    request.Subject = "Bridge repairs";
    request.MessageText =
        "Dear official,\n\nplease see to the bridge on Main Street before winter.\n\nJo\n";
    request.MaxRecipients = std::atoi(argv[4]);
    for (int i = 0; i < count; ++i) {
        request.BCC += (i ? ";<official" : "<official") + std::to_string(i) + "@house.example>";
    }

    qv::TSmtpClient smtp;
    smtp.SetHost(argv[1]);
    smtp.SetPort(std::atoi(argv[2]));
    qv::TMailMessage message;
    CountTransactions counter;
    auto start = std::chrono::steady_clock::now();
    try {
        qv::DeliverMessage(smtp, message, request, &counter);
        smtp.Disconnect();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", qv::ExceptionClassName(e).c_str(), e.what());
        return 1;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("quorvane: %zu recipients in %zu transactions: %.3f s\n", counter.recipients,
                counter.transactions, elapsed.count());
    return 0;
}
