"""A loopback SMTP server that fails in one way, for the fault tests.

Usage: faulty_smtp_server.py MODE

Listens on a free port of 127.0.0.1, prints the port on its first line and
serves until it is terminated, or for ten minutes at most. It speaks just
enough SMTP for the program's client (HELO or EHLO, RSET, MAIL, RCPT, DATA,
QUIT) and accepts nothing for delivery. MODE says how it fails:

  drop-after-greeting   closes the connection right after its 220 greeting
  drop-in-data          answers DATA with 354, reads a first block of the
                        message and closes
  drop-after-refusal    refuses every recipient with 550 and closes right
                        after the refusal
  stop-reading          answers DATA with 354 and then reads nothing more,
                        keeping the connection open
  slow                  answers correctly, one byte a second
"""

import asyncio
import os
import sys

MODES = {"drop-after-greeting", "drop-in-data", "drop-after-refusal", "stop-reading", "slow"}


async def session(mode, reader, writer):
    async def reply(text):
        data = (text + "\r\n").encode()
        if mode == "slow":
            for i in range(len(data)):
                writer.write(data[i:i + 1])
                await writer.drain()
                await asyncio.sleep(1)
        else:
            writer.write(data)
            await writer.drain()

    try:
        await reply("220 faulty.example ESMTP ready")
        if mode == "drop-after-greeting":
            return
        while True:
            line = await reader.readline()
            if not line:
                return
            verb = line.decode("latin-1").strip().split(" ")[0].upper()
            if verb == "EHLO":
                await reply("250-faulty.example\r\n250 8BITMIME")
            elif verb == "RCPT" and mode == "drop-after-refusal":
                await reply("550 5.1.1 Recipient address rejected")
                return
            elif verb == "DATA":
                await reply("354 End data with <CR><LF>.<CR><LF>")
                if mode == "stop-reading":
                    await asyncio.Event().wait()
                if mode == "drop-in-data":
                    await reader.read(1024)
                    return
                while (await reader.readline()) not in (b".\r\n", b""):
                    pass
                await reply("250 2.0.0 Accepted")
            elif verb == "QUIT":
                await reply("221 2.0.0 Bye")
                return
            else:
                await reply("250 OK")
    except (ConnectionError, asyncio.IncompleteReadError):
        pass
    finally:
        writer.close()


async def main(mode):
    server = await asyncio.start_server(
        lambda r, w: session(mode, r, w), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    # Ends a server whose test died before it could stop it.
    asyncio.get_running_loop().call_later(600, lambda: os._exit(0))
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in MODES:
        sys.exit(__doc__)
    asyncio.run(main(sys.argv[1]))
