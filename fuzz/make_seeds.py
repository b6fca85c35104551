#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora: messages built by mirelo-send (its --dry-run and --print
output), and for the decoders it has no command for, inputs built here by the same rules.

Usage: make_seeds.py MIRELO_SEND OUT_DIR
"""
import hashlib
import pathlib
import subprocess
import sys

KOREAN = "김민지"  # a name with Korean characters, UTF-8 on the command line
LINK = ["--function", "openDoc", "--url", "http://gw.example/doc?id=7"]

MESSAGES = [
    ["bbs", "--poster", "Kim", "--board", "Notices", "--title", "Hello", "--text", "Body", *LINK],
    ["bbs", "--poster", KOREAN, "--board", "공지", "--title", "안녕하세요", "--cp949", "--urgent"],
    ["mail", "--sender", "Lee", "--subject", "Report", "--text", "x", *LINK],
    ["mail", "--sender", KOREAN, "--subject", "회의", "--sub-kind", "2", "--recipients", "Park", "--no-flag"],
    ["schedule", "--requester", "Park", "--subject", "Lunch", *LINK],
    ["approval", "--kind", "4", "--doc-kind", "1", "--action", "2", "--subject", "Budget", "--drafter", "Kim",
     "--processor", "Lee", *LINK],
    ["approval", "--kind", "11", "--doc-kind", "C", "--action", "9", "--subject", "결재", "--drafter", KOREAN],
    ["message", "--kind", "8", "--subject", "Restart", "--title", "Admin", "--sender", "IT", "--icon", "2",
     "--body", "line one</P>\r\nline two</BR>\r\n", *LINK],
    ["message", "--kind", "9", "--subject", "점심", "--sender", KOREAN, "--body", "네"],
    ["notice", "--sender", "Office", "--text", "Fire drill at 3", *LINK],
    ["notice", "--sender", "Office", "--animated", "--header", "Notice", "--icon", "mailavi.avi", "--text1",
     "<b>First</b> row & more", "--text2", "second", "--text3", "null", "--text4", "fourth"],
    ["notice", "--sender", KOREAN, "--animated", "--header", "공지", "--icon", "..\\evil.avi", "--text1", "한글"],
    ["alert", "--message", "Server restart", "--title", "IT", "--sender", "Kim", "--dept", "Ops", "--job",
     "Lead", "--date", "20261207170500", "--href", "http://gw.example/a", "--ip", "10.0.0.1"],
    ["alert", "--message", KOREAN, "--date", "2026"],
    ["end"],
    ["raw", "--kind", "2", "--hex", "02 30 32 01 31"],
    ["raw", "--kind", "1", "--text", "", "--truncate", "0"],
    ["raw", "--header", "  -0000102", "--text", "xy"],
]

BATCHES = [
    ["--notify", "2", "--sender", "Lee", "--subject", "Report", "--flag", "1", "--date", "2026-12-07 10:00",
     "--function", "f", "--url", "http://gw.example/m"],
    ["--notify", "8", "--title", "점심", "--sender", KOREAN, "--notify", "4", "--decision-user", "Park",
     "--upload-user", "Kim", "--doc-type", "3", "--subject", "결재"],
    ["--notify", "1", "--subject", "a&b<c>", "--element", "extra=x", "--encoding", "utf-8", "--root", "R"],
]

MESSENGER = [["@0NLN"], ["@0AWY"], ["@B"], ["@E"], ["@O"], ["@PT"], ["@PF"], ["@R"],
             ["--user-signin", "kim", "http://gw.example/"], ["@Ukim\\0http://x/\\0tail", "--literal"]]


def run(send, args):
    return subprocess.run([send, *args], check=True, capture_output=True).stdout


def dry_run(send, args):
    out = run(send, [*args, "--dry-run", "--quiet", "--port", "1"])
    return [bytes.fromhex(line) for line in out.decode().split()]


def write(folder, data):
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(data).hexdigest()).write_bytes(data)


def link(type_number, name, url):
    return b"%03d" % type_number + bytes([len(name)]) + name + url


def main():
    send, out = sys.argv[1], pathlib.Path(sys.argv[2])
    messages = [m for args in MESSAGES for m in dry_run(send, args)]
    batches = [run(send, ["batch", *args, "--print"]) for args in BATCHES]
    for data in messages:
        for target in ("datagram", "payload", "tcp_reassembly"):
            write(out / target, data)
        kind = int(data[:10]) % 100 if data[:10].strip().isdigit() else -1
        if kind == 10:
            write(out / "notifier", data)
        if kind == 20:
            write(out / "alert", data[10:])
    for data in batches:
        write(out / "xml_batch", data)
        write(out / "tcp_reassembly", b"%08d98" % len(data) + data)
    for args in MESSENGER:
        for data in dry_run(send, ["messenger", *args]):
            write(out / "messenger", data)
            write(out / "datagram", data)

    # The store file as the client writes it (EUC-KR, one element per record).
    store = ('<?xml version="1.0" encoding="EUC-KR"?><NotificationList>'
             '<Notification id="0" kind="2" flag="1" date="2026-12-07 10:00" sender="김민지" subject="회의 &amp; 점심"'
             ' functionName="f" openUrl="http://gw.example/?a=1&amp;b=2"/>'
             '<Notification id="1" kind="8" flag="0" date="" sender="Lee" subject="&#x1F600;" functionName=""'
             ' openUrl=""/></NotificationList>')
    write(out / "store", store.encode("euc-kr", "xmlcharrefreplace"))
    write(out / "store", b'<?xml version="1.0" encoding="EUC-KR"?><NotificationList></NotificationList>')
    write(out / "store", b'<!DOCTYPE L [<!ENTITY e "x&#38;y">]><L><Notification subject="&e;"/></L>')
    for data in batches:
        write(out / "store", data)

    # The store and history files as the client writes them, which the history window reads.
    rows = [("2", "1", "2026-12-07 10:00", "회의 &amp; 점심", "김민지", "http://gw.example/m?id=1"),
            ("8", "0", "2026-12-07 10:00", "Restart", "", ""),
            ("4", "0", "20261206120000", "결재", "Lee (HR)", "http://gw.example/a"),
            ("1", "0", "2026.12.05 09:30:00", "Notices", "Park", "https://gw.example/b"),
            ("x", "", "", "", "", "")]
    elements = "".join(
        f'\n\t<Notification id="{i}" applid="{kind}" type="{flag}" date="{date}" title="{title}" sender="{sender}"'
        f' openfunction="f" url="{url}" />' for i, (kind, flag, date, title, sender, url) in enumerate(rows))
    history = f'<?xml version="1.0" encoding="EUC-KR"?>\n<NotificationList>{elements}\n</NotificationList>\n'
    write(out / "history_index", history.encode("euc-kr"))
    write(out / "history_index", history.replace("EUC-KR", "UTF-8").encode("utf-8"))
    write(out / "history_index", b'<?xml version="1.0" encoding="EUC-KR"?><NotificationList></NotificationList>')
    write(out / "history_index", b'<NotificationList><Notification title="a"/><NotificationListX/>')

    for data in (link(1, b"openDoc", b"http://gw.example/doc?id=7"), link(999, b"f\0g", b"u\0v"), b"001",
                 link(12, b"", b"")):
        write(out / "link_field", data)
    for data in (b"2\tuser\t1\t2026-12-07 10:00\tReport\tLee\tf\thttp://x/\t0\t0", b"\t\t8\tkey", b"x"):
        write(out / "record_line", data)
    for data in (b"qsnotifyclient://10.0.0.5,7333,7333,Mirelo,NLN,cmd,http://gw.example/,kim,kim01,1,2,3,4,5,6,"
                 b"7,8,9,",
                 b'"qsnotifyclient://<HEAD>x</HEAD>10.0.0.5,,7333,"',
                 b'"C:\\Users\\kim\\Downloads\\start.xnf"', b"APPEXIT"):
        write(out / "startup", data)
    reply = bytes([0]) + b"4096".ljust(32, b"\0") + bytes([1]) + bytes(12)
    for data in (reply + b"+OK   12\r\n", bytes([0xFF]) + bytes(45) + b"-ERR", reply[:46]):
        write(out / "vocelink_reply", data)


if __name__ == "__main__":
    main()
