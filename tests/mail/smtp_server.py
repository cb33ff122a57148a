"""A loopback SMTP server for the mail tests.

Usage: smtp_server.py FOLDER [--refuse ADDRESS]... [--stall N]

Listens on a free port of 127.0.0.1, prints the port on its first line and
serves until it is terminated. Every accepted message N (counted from 1) is
stored in FOLDER as:
  N.eml       the message data as received
  N.txt       its envelope and parsed form, one item a line:
                mail_from <address>
                rcpt <address>                 (each recipient, in order)
                header <Name>: <value>         (each header, unfolded)
                part <content-type> <filename> (each leaf part; "-" without name)
  N.part.K    the decoded content of leaf part K (counted from 1)
A recipient given with --refuse is refused with 550. With --stall N, the
server takes message N's data and then never answers it, as a server that
has hung.
"""

import asyncio
import email
import email.policy
import os
import re
import signal
import sys

from aiosmtpd.smtp import SMTP


class Recorder:
    def __init__(self, folder, refused, stall):
        self.folder = folder
        self.refused = set(refused)
        self.stall = stall
        self.count = 0
        self.received = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.received += 1
        if self.received == self.stall:
            await asyncio.Event().wait()
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        data = envelope.content
        with open(base + ".eml", "wb") as f:
            f.write(data)
        message = email.message_from_bytes(data, policy=email.policy.compat32)
        lines = ["mail_from " + envelope.mail_from]
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


async def main():
    folder = sys.argv[1]
    refused = [sys.argv[i + 1] for i, a in enumerate(sys.argv) if a == "--refuse"]
    stall = int(sys.argv[sys.argv.index("--stall") + 1]) if "--stall" in sys.argv else 0
    handler = Recorder(folder, refused, stall)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: SMTP(handler, decode_data=False, hostname="test.invalid"), "127.0.0.1", 0
    )
    print(server.sockets[0].getsockname()[1], flush=True)
    stop = loop.create_future()
    loop.add_signal_handler(signal.SIGTERM, stop.set_result, None)
    await stop
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
