// Fuzz target for ExtractAddress and the checks a message passes before it
// is sent: any bytes as a recipient entry and as the From value.
//
// Beyond the sanitizers' checks it holds the code to its promises: the
// address is a piece of the entry; a message is refused only with one of the
// message errors; and once a message is accepted, no address that goes into
// a "Mail from:" or "RCPT to:" command holds a line break, so that an entry
// can never add a command of its own.
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/mail_message.h"
#include "mail/net_errors.h"
#include "mail/smtp_client.h"
#include "support/fuzz_support.h"

namespace {

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string entry(reinterpret_cast<const char*>(data), size);
    const std::string address = qv::TMailMessage::ExtractAddress(entry);
    QV_FUZZ_CHECK(entry.find(address) != std::string::npos);

    qv::TMailMessage message;
    message.SetFrom(entry);
    message.SetBCCList({entry});
    qv::TSmtpClient client;
    try {
        client.CheckMessage(message);
    } catch (const qv::EMailMessageError&) {
        return 0;
    }
    QV_FUZZ_CHECK(!HasLineBreak(qv::SenderAddress(message)));
    QV_FUZZ_CHECK(!HasLineBreak(address) && address.find('@') != std::string::npos);
    return 0;
}
