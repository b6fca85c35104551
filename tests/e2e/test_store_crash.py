"""The store file when the client is killed while it stores large batches: a conforming XML parser
reads it, and it holds exactly the records it held before the batch or those and the batch's."""
from __future__ import annotations

import random
import re
import subprocess
import time

from test_store import read_store, start, stored, user_key, wait_store, xmllint_complaint  # noqa: F401

BATCH = 3000  # notifications a batch: a store of a few hundred kilobytes to write at every save
ROUNDS = 6


def write_batch(path, tag: str, korean: bool, count: int = BATCH) -> list[str]:
    """A batch file of mails whose subjects name the batch; returns the subjects."""
    subjects = [f'{tag} {"보고" if korean else "report"} {number}' for number in range(count)]
    notifies = ''.join(f'<notify type="2"><sender>Kim</sender><subject>{subject}</subject><flag>1</flag>'
                       f'<date>2026-12-07 10:00</date><function-name>f</function-name>'
                       f'<openurl>http://gw.example/m?id={number}&amp;box=in</openurl></notify>'
                       for number, subject in enumerate(subjects))
    path.write_bytes(('<?xml version="1.0" encoding="EUC-KR"?><NotifyList>' + notifies + '</NotifyList>')
                     .encode('cp949'))
    return subjects


def titles(path) -> list[str]:
    assert xmllint_complaint(path) == '', 'the store is well-formed for libxml2 too'
    return [entry['title'] for entry in read_store(path)[1]]


def send_in_background(sender, port: int, batch) -> subprocess.Popen:
    return subprocess.Popen([str(sender.exe), 'batch', '--file', str(batch), '--port', str(port), '--quiet',
                             '--timeout', '60'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wait_line(client, pattern: str, timeout: float = 60) -> float | None:
    """The moment the first log line matching the pattern was seen, polling closely."""
    regex = re.compile(pattern)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if any(regex.search(line) for line in client.log()):
            return time.monotonic()
        time.sleep(0.005)
    return None


def test_a_client_killed_while_storing_leaves_the_old_or_the_new_records(mirelo, sender, user_key, korean,
                                                                        tmp_path):
    # The first batch is stored whole; how long its save takes sets the window the kills fall into.
    client, port, path = start(mirelo, user_key)
    batch = tmp_path / 'batch0.xml'
    records = write_batch(batch, 'b0', korean)
    sending = send_in_background(sender, port, batch)
    parsed = wait_line(client, rf'^xml batch: {BATCH} notifications$')
    assert parsed is not None, client.log()
    wait_store(client, stored(BATCH))
    save_seconds = max(time.monotonic() - parsed, 0.05)
    sending.wait(30)
    assert titles(path) == records

    rng = random.Random(7333)
    outcomes = []
    for number in range(1, ROUNDS + 1):
        mirelo.stop_all()
        client, port, path = start(mirelo, user_key)
        if number % 2 == 0:
            # A client that has stored since it started adds the batch to the file it wrote, unparsed.
            primer = tmp_path / f'primer{number}.xml'
            records += write_batch(primer, f'p{number}', korean, 1)
            send_in_background(sender, port, primer).wait(30)
            wait_store(client, stored(1))
        batch = tmp_path / f'batch{number}.xml'
        added = write_batch(batch, f'b{number}', korean)
        sending = send_in_background(sender, port, batch)
        assert wait_line(client, rf'^xml batch: {BATCH} notifications$') is not None, client.log()
        time.sleep(rng.uniform(0, 1.5 * save_seconds))
        client.kill()
        sending.kill()
        sending.wait(10)
        now = titles(path)
        assert now in (records, records + added), f'round {number}: {len(now)} records, a mix'
        outcomes.append('new' if now != records else 'old')
        records = now
    print(f'kills after the batch was read, within {1.5 * save_seconds:.2f} s (even rounds added to the file '
          f'the client wrote): {outcomes}')

    # A later run stores on top of whatever the kills left, and leaves no temporary file behind.
    mirelo.stop_all()
    client, port, path = start(mirelo, user_key)
    batch = tmp_path / 'last.xml'
    added = write_batch(batch, 'last', korean)
    send_in_background(sender, port, batch).wait(60)
    wait_store(client, stored(BATCH), 1)
    assert titles(path) == records + added
    assert [p.name for p in path.parent.iterdir() if p.name.startswith(path.name)] == [path.name]
