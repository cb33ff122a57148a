#!/usr/bin/env python3
"""Checks the list files that Quorvane ships.

Usage:
    check_lists.py DATA_DIR      check senate.dat, house.dat, leaders.dat,
                                 legis.dat and misc.dat in DATA_DIR
    check_lists.py --self-test DATA_DIR
                                 damage copies of the files in known ways and
                                 make sure each damage is reported

Each file is parsed the way the program's readers parse it (header, records of
N comma-separated fields, quoting without escapes, legis.dat tree lines), but
more strictly: anything the readers would silently skip or misread is an
error here. The content is then checked (two senators per state, one House
member per district, all six continents, addresses that look like addresses).

Every problem is printed as "file:line: message"; the exit status is 1 when
there is any.
"""

import csv
import os
import re
import shutil
import sys
import tempfile

# The 50 state abbreviations of the state filter, and the territories that
# have a House delegate. The territory filter offers AS, DC, GU, PR and VI;
# MP (Northern Mariana Islands) has a delegate but no filter entry, so its
# record shows only under "(All)".
STATES = (
    "AL AK AR AZ CA CO CT DE FL GA HI ID IL IN IA KS KY LA ME MD MA MI MN MS "
    "MO MT NE NV NH NJ NM NY NC ND OH OK OR PA RI SC SD TN TX UT VT VA WA WV "
    "WI WY").split()
TERRITORIES = ["AS", "DC", "GU", "PR", "VI", "MP"]

# House seats per state (apportionment after the 2020 census).
SEATS = {
    "AL": 7, "AK": 1, "AZ": 9, "AR": 4, "CA": 52, "CO": 8, "CT": 5, "DE": 1,
    "FL": 28, "GA": 14, "HI": 2, "ID": 2, "IL": 17, "IN": 9, "IA": 4, "KS": 4,
    "KY": 6, "LA": 6, "ME": 2, "MD": 8, "MA": 9, "MI": 13, "MN": 8, "MS": 4,
    "MO": 8, "MT": 2, "NE": 3, "NV": 4, "NH": 2, "NJ": 12, "NM": 3, "NY": 26,
    "NC": 14, "ND": 1, "OH": 15, "OK": 5, "OR": 6, "PA": 17, "RI": 2, "SC": 7,
    "SD": 1, "TN": 9, "TX": 38, "UT": 4, "VT": 1, "VA": 11, "WA": 10, "WV": 2,
    "WI": 8, "WY": 1,
}

CONTINENTS = ["Europe", "Asia", "North America", "South America", "Africa",
              "Australia & Pacific Islands"]

PARTIES = {"D", "R", "I"}
VACANT = "Vacant"
MAX_GROUPS = 10

URL_RE = re.compile(r"^https?://[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)+(:[0-9]+)?(/[^\s]*)?$")
MAIL_RE = re.compile(r"^[A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)*\.[A-Za-z]{2,}$")
NAME_RE = re.compile(r"^[^,]+, [^,]+$")


class Problem(Exception):
    def __init__(self, line, message):
        super().__init__(message)
        self.line = line
        self.message = message


class Report:
    def __init__(self):
        self.problems = []

    def add(self, name, line, message):
        where = f"{name}:{line}" if line else name
        self.problems.append(f"{where}: {message}")


def is_url(text):
    return bool(URL_RE.match(text))


def is_mail_field(text):
    return text == "none" or is_url(text) or bool(MAIL_RE.match(text))


# --- reading --------------------------------------------------------------

def read_lines(path):
    """Returns the file's lines (without their CR LF) after checking the
    bytes: CR LF after every line, no stray CR or LF, no control characters,
    text that is ASCII, UTF-8 or Windows-1252."""
    with open(path, "rb") as f:
        data = f.read()
    if not data:
        return []
    raw_lines = data.split(b"\n")
    if raw_lines[-1] != b"":
        raise Problem(len(raw_lines), "last line does not end with CR LF")
    raw_lines.pop()
    for number, raw in enumerate(raw_lines, 1):
        if not raw.endswith(b"\r"):
            raise Problem(number, "line ends with a lone LF instead of CR LF")
    raw_lines = [raw[:-1] for raw in raw_lines]
    lines = []
    for number, raw in enumerate(raw_lines, 1):
        if b"\r" in raw:
            raise Problem(number, "lone CR inside the line")
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError:
            try:
                text = raw.decode("cp1252")
            except UnicodeDecodeError:
                raise Problem(number, "bytes that are neither UTF-8 nor Windows-1252")
        if any(ord(c) < 32 and c != "\t" for c in text):
            raise Problem(number, "control character in the line")
        lines.append(text)
    return lines


def parse_header(lines, index):
    """Parses the header at lines[index]: 'N R'. Returns (N, R)."""
    if index >= len(lines):
        raise Problem(index + 1, "header missing: expected two integers, fields per record and record count")
    parts = lines[index].split()
    if len(parts) != 2 or not all(p.isdigit() for p in parts):
        raise Problem(index + 1, f"header must be two integers (fields per record, record count), found '{lines[index]}'")
    return int(parts[0]), int(parts[1])


def parse_field(line, pos, number, last):
    """Reads one field of a table record starting at pos. Returns the text and
    the position where the next field starts."""
    if pos >= len(line):
        raise Problem(None, f"field {number} missing (the line ends early)")
    if line[pos] == '"':
        end = line.find('"', pos + 1)
        if end < 0:
            raise Problem(None, f"field {number} has no closing double quote")
        text = line[pos + 1:end]
        after = end + 1
        if text == "":
            raise Problem(None, f"field {number} is empty")
        if last:
            if after != len(line):
                raise Problem(None, f"text after the closing quote of the last field {number}")
            return text, after
        if after >= len(line) or line[after] != ",":
            raise Problem(None, f"field {number}: the closing quote must be followed by a comma")
        return text, after + 1
    end = line.find(",", pos)
    if end < 0:
        end = len(line)
    text = line[pos:end]
    if text == "":
        raise Problem(None, f"field {number} is empty")
    if '"' in text:
        raise Problem(None, f"field {number} holds a double quote")
    if last:
        if end != len(line):
            raise Problem(None, f"more than {number} fields on the line (an unquoted field cannot hold a comma)")
        return text, end
    if end == len(line):
        raise Problem(None, f"field {number + 1} missing (the line ends early)")
    return text, end + 1


def parse_record(line, n):
    fields = []
    pos = 0
    for i in range(n):
        text, pos = parse_field(line, pos, i + 1, i == n - 1)
        fields.append(text)
    for i, text in enumerate(fields):
        if text != text.strip():
            raise Problem(None, f"field {i + 1} '{text}' has leading or trailing blanks")
    return fields


def parse_table(lines, index, expected_n):
    """Parses a header and its records from lines[index]. Returns
    (records, index after the table) where each record is (line number,
    fields)."""
    n, r = parse_header(lines, index)
    if n != expected_n:
        raise Problem(index + 1, f"header says {n} fields per record, expected {expected_n}")
    records = []
    for p in range(r):
        i = index + 1 + p
        if i >= len(lines):
            raise Problem(i + 1, f"header announces {r} records but the file ends after {p}")
        try:
            records.append((i + 1, parse_record(lines[i], n)))
        except Problem as e:
            raise Problem(i + 1, e.message)
    return records, index + 1 + r


def load_table(path, n):
    lines = read_lines(path)
    records, end = parse_table(lines, 0, n)
    if end < len(lines):
        raise Problem(end + 1, f"text after the last of the {len(records)} records the header announces")
    return records


# --- content checks --------------------------------------------------------

def check_person(report, name, line, fields, name_index):
    """A member of Congress: the home page may be 'n/a' where the office
    publishes none."""
    person = fields[name_index]
    mail, home = fields[-2], fields[-1]
    if not NAME_RE.match(person):
        report.add(name, line, f"name '{person}' is not written 'Last, First'")
    if not is_mail_field(mail):
        report.add(name, line, f"e-mail field '{mail}' is neither an address, an http(s) address nor 'none'")
    if home != "n/a" and not is_url(home):
        report.add(name, line, f"home page '{home}' is neither an http(s) address nor 'n/a'")


def check_senate(report, path):
    name = "senate.dat"
    records = load_table(path, 5)
    per_state = {}
    for line, f in records:
        state, party = f[0], f[1]
        if state not in STATES:
            report.add(name, line, f"'{state}' is not a state abbreviation of the state filter")
        if party not in PARTIES:
            report.add(name, line, f"party '{party}' is not one of D, R, I")
        check_person(report, name, line, f, 2)
        per_state.setdefault(state, []).append(line)
    if len(records) != 100:
        report.add(name, 1, f"{len(records)} senators, expected 100")
    for state in STATES:
        lines = per_state.get(state, [])
        if len(lines) != 2:
            report.add(name, lines[0] if lines else None,
                       f"{state} has {len(lines)} senators, expected 2")


def check_house(report, path):
    name = "house.dat"
    records = load_table(path, 6)
    seats = {}
    for line, f in records:
        state, district, party, person = f[0], f[1], f[2], f[3]
        if state not in STATES and state not in TERRITORIES:
            report.add(name, line, f"'{state}' is not a state or territory abbreviation")
        if not (district == "AL" or re.fullmatch(r"[1-9][0-9]*", district)):
            report.add(name, line, f"district '{district}' is neither a number nor AL (at large)")
        if person == VACANT:
            if party != "n/a" or f[4] != "none":
                report.add(name, line, "a vacant seat has party 'n/a' and e-mail 'none'")
            if not is_url(f[5]):
                report.add(name, line, f"home page '{f[5]}' is not an http(s) address")
        else:
            if party not in PARTIES:
                report.add(name, line, f"party '{party}' is not one of D, R, I")
            check_person(report, name, line, f, 3)
        seats.setdefault(state, []).append((line, district))
    for state in STATES + TERRITORIES:
        got = seats.get(state, [])
        first = got[0][0] if got else None
        count = SEATS.get(state, 1)
        if len(got) != count:
            report.add(name, first, f"{state} has {len(got)} seats listed, expected {count}")
            continue
        districts = [d for _, d in got]
        want = ["AL"] if count == 1 else [str(i) for i in range(1, count + 1)]
        if districts != want:
            report.add(name, first, f"{state} districts are {', '.join(districts)}, expected {', '.join(want)} in order")


def check_leaders(report, path):
    name = "leaders.dat"
    records = load_table(path, 6)
    continents = set()
    countries = set()
    for line, f in records:
        if not re.fullmatch(r"[1-6]", f[0]):
            report.add(name, line, f"continent number '{f[0]}' is not 1 to 6")
        else:
            continents.add(int(f[0]))
        if f[1] in countries:
            report.add(name, line, f"country '{f[1]}' is listed twice")
        countries.add(f[1])
        if not is_mail_field(f[4]):
            report.add(name, line, f"e-mail field '{f[4]}' is neither an address, an http(s) address nor 'none'")
        if not is_url(f[5]):
            report.add(name, line, f"home page '{f[5]}' is not an http(s) address")
    for c in range(1, 7):
        if c not in continents:
            report.add(name, None, f"no leader for continent {c} ({CONTINENTS[c - 1]})")
    if len(countries) < 40:
        report.add(name, None, f"{len(countries)} countries, expected at least 40")


def check_misc(report, path):
    name = "misc.dat"
    lines = read_lines(path)
    index = 0
    sections = []
    for _ in range(3):
        n, _r = parse_header(lines, index)
        if n < 1:
            raise Problem(index + 1, "a section needs at least one field per record")
        records, index = parse_table(lines, index, n)
        sections.append((n, records))
    if index < len(lines):
        raise Problem(index + 1, "text after the third section")
    for title, (n, records) in zip(("Multimedia", "Additional Links"), sections[1:]):
        if n < 2:
            report.add(name, None, f"{title} section needs two fields per record (caption, address)")
            continue
        if not records:
            report.add(name, None, f"{title} section is empty")
        for line, f in records:
            if not is_url(f[1]):
                report.add(name, line, f"{title} address '{f[1]}' is not an http(s) address")


def legis_field(line, pos, what):
    """Reads a legis.dat field: quoted, or unquoted up to a comma. A field
    that runs to the end of the line is an error in this file."""
    if pos >= len(line):
        raise Problem(None, f"{what} missing")
    if line[pos] == '"':
        end = line.find('"', pos + 1)
        if end < 0:
            raise Problem(None, f"{what} has no closing double quote")
        text, nxt = line[pos + 1:end], end + 1
        if nxt < len(line) and line[nxt] == ",":
            nxt += 1
    else:
        end = line.find(",", pos)
        if end < 0:
            raise Problem(None, f"{what} must end with a comma or be quoted")
        text, nxt = line[pos:end], end + 1
        if '"' in text:
            raise Problem(None, f"{what} holds a double quote")
    if text == "" or text != text.strip():
        raise Problem(None, f"{what} '{text}' is empty or has leading or trailing blanks")
    return text, nxt


def check_legis(report, path):
    name = "legis.dat"
    lines = read_lines(path)
    groups = []
    country = None
    leaves = {}
    for number, line in enumerate(lines, 1):
        if line == "":
            if any(rest != "" for rest in lines[number:]):
                raise Problem(number, "empty line: the program stops reading here and drops the lines after it")
            break
        try:
            first, pos = legis_field(line, 0, "first field")
            if line[0] == '"':
                address, pos = legis_field(line, pos, "address")
                if country is None:
                    report.add(name, number, "chamber line before any country line")
                else:
                    leaves[country] += 1
                if not is_url(address):
                    report.add(name, number, f"address '{address}' is not an http(s) address")
            elif not re.fullmatch(r"-?[0-9]+", first):
                raise Problem(None, f"first field '{first}' is neither a quoted caption nor an integer")
            elif int(first) == 1:
                caption, pos = legis_field(line, pos, "group caption")
                if len(groups) == MAX_GROUPS:
                    raise Problem(None, f"more than {MAX_GROUPS} top-level groups")
                if caption not in CONTINENTS:
                    report.add(name, number, f"group '{caption}' is not one of the continent filter's names")
                if caption in groups:
                    report.add(name, number, f"group '{caption}' appears twice")
                groups.append(caption)
                country = None
            else:
                group, pos = legis_field(line, pos, "group number")
                if not re.fullmatch(r"[0-9]+", group):
                    raise Problem(None, f"group number '{group}' is not an integer")
                if not 1 <= int(group) <= len(groups):
                    raise Problem(None, f"group number {group} names no group read so far")
                caption, pos = legis_field(line, pos, "country caption")
                country = (int(group), caption)
                if country in leaves:
                    report.add(name, number, f"country '{caption}' appears twice in its group")
                leaves[country] = 0
            if pos != len(line):
                raise Problem(None, f"unexpected text '{line[pos:]}' after the last field")
        except Problem as e:
            raise Problem(number, e.message)
    for continent in CONTINENTS:
        if continent not in groups:
            report.add(name, None, f"no group for continent '{continent}'")
    for (group, caption), count in leaves.items():
        if count == 0:
            report.add(name, None, f"country '{caption}' has no chamber lines")


CHECKS = [
    ("senate.dat", check_senate),
    ("house.dat", check_house),
    ("leaders.dat", check_leaders),
    ("legis.dat", check_legis),
    ("misc.dat", check_misc),
]


def check_dir(directory):
    report = Report()
    for name, check in CHECKS:
        path = os.path.join(directory, name)
        try:
            check(report, path)
        except OSError as e:
            report.add(name, None, f"cannot read: {e.strerror}")
        except Problem as e:
            report.add(name, e.line, e.message)
    return report.problems


# --- self test -------------------------------------------------------------

def edit_lines(name, change):
    """A damage that rewrites the lines of one file with change(lines)."""
    def damage(directory):
        # Latin-1 maps every byte to one character and back, so UTF-8 names
        # survive the edit unchanged.
        path = os.path.join(directory, name)
        with open(path, "rb") as f:
            lines = f.read().decode("latin-1").split("\r\n")[:-1]
        lines = change(lines)
        with open(path, "wb") as f:
            f.write("".join(l + "\r\n" for l in lines).encode("latin-1"))
    return damage


def replace_field(i, field, text):
    """Replaces field `field` (0-based) of line i."""
    def change(lines):
        fields = next(csv.reader([lines[i]]))
        fields[field] = text
        lines[i] = ",".join(f'"{f}"' if "," in f else f for f in fields)
        return lines
    return change


def replace_line(i, text):
    def change(lines):
        lines[i] = text
        return lines
    return change


def drop_lines(pred, header_index=0):
    """Drops the records for which pred holds and fixes the header count."""
    def change(lines):
        kept = [l for l in lines[header_index + 1:] if not pred(l)]
        n = lines[header_index].split()[0]
        return lines[:header_index] + [f"{n} {len(kept)}"] + kept
    return change


def lf_only(directory):
    path = os.path.join(directory, "senate.dat")
    with open(path, "rb") as f:
        data = f.read()
    with open(path, "wb") as f:
        f.write(data.replace(b"\r\n", b"\n"))


def eleven_groups(lines):
    extra = [f"1,Extra {i}," for i in range(5)]
    return lines + extra


# (what is damaged, damage, text the report must contain)
DAMAGES = [
    ("LF line ends", lf_only, "senate.dat:1: line ends with a lone LF"),
    ("comma in an unquoted name",
     edit_lines("senate.dat", replace_line(1, "AL,R,Tuberville, Tommy,none,https://www.senate.gov/")),
     "senate.dat:2: more than 5 fields"),
    ("double quote inside a field",
     edit_lines("senate.dat", replace_line(1, 'AL,R,"Tuberville, "Tommy"",none,https://www.senate.gov/')),
     "senate.dat:2:"),
    ("empty field",
     edit_lines("senate.dat", replace_line(1, 'AL,,"Tuberville, Tommy",none,https://www.senate.gov/')),
     "senate.dat:2: field 2 is empty"),
    ("header announces more records than follow",
     edit_lines("senate.dat", replace_line(0, "5 101")),
     "senate.dat:102: header announces 101 records"),
    ("a state with three senators",
     edit_lines("senate.dat", replace_line(1, 'AK,R,"Tuberville, Tommy",none,https://www.senate.gov/')),
     "AK has 3 senators"),
    ("a missing House district",
     edit_lines("house.dat", drop_lines(lambda l: l.startswith("CA,52,"))),
     "CA has 51 seats listed"),
    ("House districts out of order",
     edit_lines("house.dat", lambda ls: [l.replace("CT,1,", "CT,X,").replace("CT,2,", "CT,1,").replace("CT,X,", "CT,2,") for l in ls]),
     "CT districts are 2, 1"),
    ("a party that is not D, R or I",
     edit_lines("house.dat", lambda ls: [ls[0], ls[1].replace(",R,", ",Q,", 1)] + ls[2:]),
     "house.dat:2: party 'Q'"),
    ("an e-mail field that is no address",
     edit_lines("house.dat", replace_field(1, 4, "write to me")),
     "house.dat:2: e-mail field 'write to me'"),
    ("a continent without leaders",
     edit_lines("leaders.dat", drop_lines(lambda l: l.startswith("6,"))),
     "no leader for continent 6"),
    ("legis caption without its comma",
     edit_lines("legis.dat", replace_line(0, "1,Europe")),
     "legis.dat:1: group caption must end with a comma"),
    ("more than ten legis groups",
     edit_lines("legis.dat", eleven_groups),
     "more than 10 top-level groups"),
    ("empty line in the middle of legis.dat",
     edit_lines("legis.dat", lambda ls: ls[:3] + [""] + ls[3:]),
     "legis.dat:4: empty line"),
    ("misc link that is no address",
     edit_lines("misc.dat", lambda ls: [l.replace(",https://www.c-span.org/", ",www.c-span.org") for l in ls]),
     "Multimedia address 'www.c-span.org'"),
    ("misc section short of records",
     edit_lines("misc.dat", lambda ls: ls[:-1]),
     "misc.dat:"),
]


def self_test(directory):
    clean = check_dir(directory)
    if clean:
        print("self-test: the shipped files must pass before they are damaged:")
        for p in clean:
            print("  " + p)
        return 1
    failures = 0
    for what, damage, expected in DAMAGES:
        with tempfile.TemporaryDirectory() as tmp:
            for name, _ in CHECKS:
                shutil.copy(os.path.join(directory, name), tmp)
            damage(tmp)
            problems = check_dir(tmp)
        if not any(expected in p for p in problems):
            failures += 1
            print(f"self-test: {what}: expected a problem containing '{expected}', got:")
            for p in problems or ["(no problems)"]:
                print("  " + p)
    print(f"self-test: {len(DAMAGES) - failures} of {len(DAMAGES)} damages reported")
    return 1 if failures else 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--self-test":
        return self_test(argv[2])
    if len(argv) != 2:
        print(__doc__)
        return 2
    problems = check_dir(argv[1])
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} problem(s) in the list files")
        return 1
    print("list files OK")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
