"""smtplib_bench.py HOST PORT RECIPIENTS MAX [CAFILE]

Sends the same transactions as smtp_bench with Python's smtplib (Rset, Mail,
one RCPT per recipient, Data, the message) over one connection and prints the
wall time. With CAFILE it speaks TLS from the first byte (SMTP_SSL) and trusts
that certificate.
"""

import smtplib
import ssl
import sys
import time
from email.utils import formatdate

host, port, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
cafile = sys.argv[5] if len(sys.argv) > 5 else None
recipients = ["official%d@house.example" % i for i in range(count)]
body = "Dear official,\r\n\r\nplease see to the bridge on Main Street before winter.\r\n\r\nJo\r\n"

start = time.perf_counter()
transactions = 0
if cafile:
    connection = smtplib.SMTP_SSL(host, port, context=ssl.create_default_context(cafile=cafile))
else:
    connection = smtplib.SMTP(host, port)
with connection as smtp:
    for first in range(0, count, size):
        group = recipients[first:first + size]
        message = (
            "From: Jo Citizen <jo@home.example>\r\n"
            "Subject: Bridge repairs\r\n"
            "Reply-To: Jo Citizen <jo@home.example>\r\n"
            "Date: %s\r\n"
            "Content-Type: text/plain\r\n"
            "X-Library: smtplib\r\n\r\n" % formatdate(localtime=True)
        ) + body
        smtp.rset()
        smtp.sendmail("jo@home.example", group, message)
        transactions += 1
elapsed = time.perf_counter() - start
print("smtplib: %d recipients in %d transactions%s: %.3f s"
      % (count, transactions, ", TLS" if cafile else "", elapsed))
