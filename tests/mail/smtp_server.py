"""A loopback SMTP server for the mail tests.

Usage: smtp_server.py FOLDER [--refuse ADDRESS]... [--cert CERT --key KEY
       (--starttls | --implicit-tls)] [--auth USER:PASSWORD]
       [--exclude-auth MECHANISM]... [--pipelining] [--stall-after N]

Listens on a free port of 127.0.0.1, prints the port on its first line and
serves until it is terminated. Every accepted message N (counted from 1) is
stored in FOLDER as:
  N.eml       the message data as received
  N.txt       its envelope and parsed form, one item a line:
                login <user>                   (when the session logged in)
                mail_from <address>
                rcpt <address>                 (each recipient, in order)
                header <Name>: <value>         (each header, unfolded)
                part <content-type> <filename> (each leaf part; "-" without name)
  N.part.K    the decoded content of leaf part K (counted from 1)
FOLDER/wire.log collects every byte the clients sent, after decryption;
FOLDER/wire.log.closed gets a line for every connection that has ended.
FOLDER/auth.log gets a line "MECHANISM USER ok|refused" per login attempt.

A recipient given with --refuse is refused with 550. --starttls offers
STARTTLS with the certificate, --implicit-tls speaks TLS from the first byte.
--auth requires a login (over TLS only) with that user and password;
--exclude-auth leaves a mechanism out of the offer. --pipelining adds
PIPELINING to the EHLO reply. --stall-after N leaves the first recipient of
every transaction after the Nth accepted message unanswered.
"""

import argparse
import asyncio
import email
import email.policy
import logging
import os
import re
import signal
import ssl
import warnings

from aiosmtpd.smtp import SMTP, AuthResult


class WireLoggingSMTP(SMTP):
    """Records what arrives, as the protocol sees it (decrypted under TLS)."""

    def __init__(self, handler, wire_log, **kwargs):
        super().__init__(handler, **kwargs)
        self.wire_log = wire_log

    def data_received(self, data):
        with open(self.wire_log, "ab") as f:
            f.write(data)
        super().data_received(data)

    def connection_lost(self, error):
        with open(self.wire_log + ".closed", "a", encoding="utf-8") as f:
            f.write("closed\n")
        super().connection_lost(error)


class Recorder:
    def __init__(self, options):
        self.folder = options.folder
        self.refused = set(options.refuse)
        self.pipelining = options.pipelining
        self.stall_after = options.stall_after
        self.count = 0
        if options.auth:
            user, _, password = options.auth.partition(":")
            self.credentials = (user.encode(), password.encode())
        else:
            self.credentials = None

    def authenticate(self, server, session, envelope, mechanism, auth_data):
        ok = (auth_data.login, auth_data.password) == self.credentials
        with open(os.path.join(self.folder, "auth.log"), "a", encoding="utf-8") as f:
            f.write("%s %s %s\n" % (mechanism, auth_data.login.decode(), "ok" if ok else "refused"))
        return AuthResult(success=ok, handled=False, auth_data=auth_data.login.decode())

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        if self.pipelining:
            responses.insert(1, "250-PIPELINING")
        return responses

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.stall_after >= 0 and self.count >= self.stall_after:
            await asyncio.sleep(3600)
        if address in self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        data = envelope.content
        with open(base + ".eml", "wb") as f:
            f.write(data)
        message = email.message_from_bytes(data, policy=email.policy.compat32)
        lines = ["login " + session.auth_data] if session.authenticated else []
        lines += ["mail_from " + envelope.mail_from]
        lines += ["rcpt " + r for r in envelope.rcpt_tos]
        lines += ["header %s: %s" % (k, re.sub(r"\r?\n", "", v)) for k, v in message.items()]
        index = 0
        for part in message.walk():
            if part.is_multipart():
                continue
            index += 1
            lines.append("part %s %s" % (part.get_content_type(), part.get_filename() or "-"))
            with open("%s.part.%d" % (base, index), "wb") as f:
                f.write(part.get_payload(decode=True) or b"")
        with open(base + ".txt.tmp", "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        os.replace(base + ".txt.tmp", base + ".txt")
        return "250 Message accepted for delivery"


def parse_options():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--auth")
    parser.add_argument("--exclude-auth", action="append", default=[])
    parser.add_argument("--pipelining", action="store_true")
    parser.add_argument("--stall-after", type=int, default=-1)
    return parser.parse_args()


async def main():
    # Refused negotiations and logins are what the tests are about; the
    # server's own complaints about them would only clutter the test output.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    warnings.simplefilter("ignore")
    options = parse_options()
    handler = Recorder(options)
    context = None
    if options.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.cert, options.key)
    settings = dict(
        decode_data=False,
        hostname="test.invalid",
        tls_context=context if options.starttls else None,
        auth_exclude_mechanism=options.exclude_auth,
        wire_log=os.path.join(options.folder, "wire.log"),
    )
    if options.auth:
        settings.update(auth_required=True, authenticator=handler.authenticate)
        # Under TLS from the start the session is encrypted from the outset.
        settings["auth_require_tls"] = not options.implicit_tls
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: WireLoggingSMTP(handler, **settings),
        "127.0.0.1",
        0,
        ssl=context if options.implicit_tls else None,
    )
    print(server.sockets[0].getsockname()[1], flush=True)
    stop = loop.create_future()
    loop.add_signal_handler(signal.SIGTERM, stop.set_result, None)
    await stop
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
