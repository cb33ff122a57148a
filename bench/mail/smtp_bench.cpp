// smtp_bench HOST PORT RECIPIENTS MAX [SECURITY [CAFILE]]
// Delivers one message to RECIPIENTS blind-copy recipients in transactions of
// MAX through the program's send action, with the connection security 0 to 3
// (default 0) and CAFILE trusted, and prints the wall time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
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
    std::optional<qv::TSmtpSecurity> security =
        qv::SmtpSecurityFromInt(argc > 5 ? std::atoi(argv[5]) : 0);
    if (argc < 5 || argc > 7 || !security) {
        std::fputs("usage: smtp_bench HOST PORT RECIPIENTS MAX [SECURITY [CAFILE]]\n", stderr);
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
    smtp.SetAccount({.Host = argv[1],
                     .Port = std::atoi(argv[2]),
                     .Security = *security,
                     .CaFile = argc > 6 ? argv[6] : ""});
    qv::TMailMessage message;
    CountTransactions counter;
    auto start = std::chrono::steady_clock::now();
    bool pipelined = false;
    bool encrypted = false;
    try {
        qv::DeliverMessage(smtp, message, request, &counter);
        pipelined = smtp.Offers("PIPELINING");
        encrypted = smtp.TlsInfo() != nullptr;
        smtp.Disconnect();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", qv::ExceptionClassName(e).c_str(), e.what());
        return 1;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("quorvane: %zu recipients in %zu transactions%s%s: %.3f s\n", counter.recipients,
                counter.transactions, pipelined ? ", pipelined" : "", encrypted ? ", TLS" : "",
                elapsed.count());
    return 0;
}
