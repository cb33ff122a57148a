#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "arguments.h"
#include "commands.h"
#include "mail/delivery.h"
#include "mail/net_errors.h"

namespace qvtool {

namespace {

struct TSendOptions {
    qv::TSmtpAccount Account;
    qv::TSendRequest Request;
    std::string BodyFile;
    std::string PasswordFile;
};

class TPrintProgress : public qv::IDeliveryObserver {
  public:
    void TransactionSent(std::size_t recipients) override {
        std::printf("sent %zu recipients\n", recipients);
        std::fflush(stdout);
    }
};

std::optional<int> ParseNumber(const std::string& text) {
    try {
        std::size_t used = 0;
        int value = std::stoi(text, &used);
        if (used == text.size()) {
            return value;
        }
    } catch (const std::exception&) {
        // Not a number; reported by the caller.
    }
    return std::nullopt;
}

std::optional<int> ParsePort(const std::string& text) {
    std::optional<int> port = ParseNumber(text);
    if (!port || *port < 1 || *port > 65535) {
        return std::nullopt;
    }
    return port;
}

bool ParseServer(const std::string& text, TSendOptions& options) {
    std::size_t colon = text.rfind(':');
    options.Account.Host = text.substr(0, colon);
    if (colon != std::string::npos) {
        std::optional<int> port = ParsePort(text.substr(colon + 1));
        if (!port) {
            return false;
        }
        options.Account.Port = *port;
    }
    return !options.Account.Host.empty();
}

int UsageError(const std::string& what) {
    std::fprintf(stderr, "qvtool send: %s\n", what.c_str());
    return 2;
}

// Fills options from args; returns an error text, or empty on success.
std::string ParseArgs(const Args& args, TSendOptions& options) {
    qv::TSendRequest& request = options.Request;
    bool haveServer = false;
    bool haveFrom = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--hide-from") {
            request.HideFrom = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return "missing value after " + name;
        }
        const std::string& value = args[++i];
        if (name == "--server") {
            if (!ParseServer(value, options)) {
                return "bad server \"" + value + "\" (HOST[:PORT])";
            }
            haveServer = true;
        } else if (name == "--from") {
            request.From = value;
            haveFrom = true;
        } else if (name == "--to") {
            request.To = value;
        } else if (name == "--cc") {
            request.CC = value;
        } else if (name == "--bcc") {
            request.BCC = value;
        } else if (name == "--subject") {
            request.Subject = value;
        } else if (name == "--body-file") {
            options.BodyFile = value;
        } else if (name == "--attach") {
            request.Attachments.push_back(value);
        } else if (name == "--port") {
            std::optional<int> port = ParsePort(value);
            if (!port) {
                return "bad port \"" + value + "\" (1 to 65535)";
            }
            options.Account.Port = *port;
        } else if (name == "--security") {
            std::optional<int> number = ParseNumber(value);
            std::optional<qv::TSmtpSecurity> security =
                number ? qv::SmtpSecurityFromInt(*number) : std::nullopt;
            if (!security) {
                return "bad security \"" + value + "\" (0 to 3)";
            }
            options.Account.Security = *security;
        } else if (name == "--user") {
            options.Account.User = value;
        } else if (name == "--password-file") {
            options.PasswordFile = value;
        } else if (name == "--ca-file") {
            options.Account.CaFile = value;
        } else if (name == "--max") {
            std::optional<int> max = ParseNumber(value);
            if (!max) {
                return "bad number \"" + value + "\" after --max";
            }
            request.MaxRecipients = *max;
        } else {
            return "unknown option " + name;
        }
    }
    if (!haveServer || !haveFrom) {
        return "--server and --from are required";
    }
    return {};
}

void ReportFailure(const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", qv::ExceptionClassName(e).c_str(), e.what());
}

}  // namespace

int RunSend(const Args& args) {
    TSendOptions options;
    if (std::string error = ParseArgs(args, options); !error.empty()) {
        return UsageError(error);
    }
    if (!options.BodyFile.empty()) {
        std::optional<std::string> text = ReadWholeFile(options.BodyFile);
        if (!text) {
            return UsageError("cannot read body file \"" + options.BodyFile + "\"");
        }
        options.Request.MessageText = std::move(*text);
    }
    if (!options.PasswordFile.empty()) {
        std::optional<std::string> text = ReadWholeFile(options.PasswordFile);
        if (!text) {
            return UsageError("cannot read password file \"" + options.PasswordFile + "\"");
        }
        // The first line, without its line end.
        std::string password = text->substr(0, text->find('\n'));
        if (password.ends_with('\r')) {
            password.pop_back();
        }
        options.Account.Password = std::move(password);
    }

    qv::TSmtpClient smtp;
    smtp.SetAccount(options.Account);
    qv::TMailMessage message;
    TPrintProgress progress;
    try {
        qv::DeliverMessage(smtp, message, options.Request, &progress);
    } catch (const qv::ESmtpConnectFailed& failed) {
        std::fprintf(stderr, "%s\n", failed.what());
        try {
            std::rethrow_exception(failed.Cause());
        } catch (const std::exception& cause) {
            ReportFailure(cause);
        }
        return 1;
    } catch (const std::exception& e) {
        ReportFailure(e);
        return 1;
    }
    return 0;
}

}  // namespace qvtool
