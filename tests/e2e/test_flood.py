"""A burst of mail notifications: the client's threads stay within a fixed bound while the notifier
windows are slow to answer, and every pop-up closes on time; a backlog read at once pops up only its
newest, and loses nothing, over UDP and over TCP (bench/flood measures the long floods)."""
from __future__ import annotations

import re
import socket
import threading
import time

from flood_watch import (TIMESTAMPED, closed_count, gave_way_count, linux_pid, linux_threads, mail_datagram,
                         popup_events, process_stats, send_steadily, show_to_close_ms)
from mirelo_client import free_port, payload
from stand_in import StandInDesktop
from wine_session import wait_until

FLOAT_TIME_MS = 500
BURST = 80
RATE = 40
# Beyond the threads the client had after its first notification: a clip player for each pop-up that
# may be open at once (at most 30) and a few short-lived ones of the system (sounds).
THREAD_ALLOWANCE = 30 + 8


def stats(wine, tools_dir):
    """The client's counts; the inspector may meet a client of an earlier test that is still ending."""
    found = wait_until(lambda: process_stats(wine, tools_dir), 30, interval=1)
    assert found is not None
    return found


def test_a_burst_keeps_the_threads_bounded_and_closes_every_pop_up_on_time(
        mirelo, sender, wine, inspector, tools_dir, work_dir, request):
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name) as desktop:
        # Each code takes the notifier windows 100 ms: a thread per code would pile up.
        notifiers = desktop.start('pingo', '--windows', '2', '--answer-ms', '100')
        mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'FloatTime': str(FLOAT_TIME_MS)})
        port = free_port()
        client = mirelo.start(payload(ListenPort=str(port)), env=TIMESTAMPED)
        assert client.wait_log(r'^main frame created'), client.log()
        pid = linux_pid(wine.prefix, 'Mirelo.exe')
        datagram = mail_datagram(sender)
        send_steadily(datagram, port, 1, 1)
        assert client.wait_count(r'^pop-up mail closed', 1) == 1
        start = stats(wine, tools_dir)
        start_threads = linux_threads(pid)

        peak = start_threads
        sending_started = time.monotonic()
        send_steadily(datagram, port, BURST, RATE)
        wine.screenshot(mirelo.logs / 'after-burst.png')
        while time.monotonic() - sending_started < 30 and closed_count(client.stderr_path, 'mail') + gave_way_count(
                client.stderr_path, 2) <= BURST:
            peak = max(peak, linux_threads(pid) or 0)
            time.sleep(0.2)

        delays, still_open = show_to_close_ms(popup_events(client.stderr_path, 'mail'))
        # A pop-up that gave way to newer notifications waiting behind it never showed.
        assert still_open == 0 and len(delays) + gave_way_count(client.stderr_path, 2) == BURST + 1, client.log()[-20:]
        assert max(delays) <= FLOAT_TIME_MS + 1000, sorted(delays)[-5:]
        assert peak - start_threads <= THREAD_ALLOWANCE, (start_threads, peak)
        # Every notification told both notifier windows, in the order received.
        received = notifiers.wait_received(2 * (BURST + 1), timeout=60)
        assert [r.code for r in received] == [100] * (2 * (BURST + 1))
        time.sleep(2)
        after = stats(wine, tools_dir)
        assert after.threads <= start.threads + 2, (start, after)
        assert after.windows <= start.windows, (start, after)


BACKLOG = 120
BURST_POPPING_UP = 8  # kBurstPoppingUp: notifications read together that all still pop up


def test_a_backlog_pops_up_its_newest_and_loses_nothing(mirelo, sender, wine, inspector, tools_dir, work_dir, request):
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name) as desktop:
        notifiers = desktop.start('pingo', '--windows', '2')
        mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'FloatTime': str(FLOAT_TIME_MS)})
        port = free_port()
        client = mirelo.start(payload(ListenPort=str(port)), env=TIMESTAMPED)
        assert client.wait_log(r'^main frame created'), client.log()
        datagram = mail_datagram(sender)
        with sender.listen(port + 1) as messenger:
            send_steadily(datagram, port, 1, 1)
            assert client.wait_count(r'^pop-up mail closed', 1) == 1
            start = stats(wine, tools_dir)
            # All at once: the client is still busy with the first pop-up when the rest arrive.
            send_steadily(datagram, port, BACKLOG, 100000)
            total = BACKLOG + 1
            assert client.wait_count(r'^dispatch kind=2 ', total, timeout=60) == total, client.log()[-20:]
            wine.screenshot(mirelo.logs / 'after-backlog.png')
            assert len(messenger.wait_for(total, timeout=20)) == total

        gave_way = gave_way_count(client.stderr_path, 2)
        assert client.has_log(r'^\d+ notifications waiting at once: only the newest pops up$'), client.log()[-20:]
        assert wait_until(lambda: closed_count(client.stderr_path, 'mail') >= total - gave_way, 30), client.log()[-20:]
        delays, still_open = show_to_close_ms(popup_events(client.stderr_path, 'mail'))
        # Every notification popped up or gave way; most of a backlog read at once gave way.
        assert still_open == 0 and len(delays) + gave_way == total, (len(delays), gave_way)
        assert gave_way >= BACKLOG - 3 * BURST_POPPING_UP, (len(delays), gave_way)
        assert max(delays) <= FLOAT_TIME_MS + 1000, sorted(delays)[-5:]
        # Local applications heard of every one, in order, and the history keeps every one.
        received = notifiers.wait_received(2 * total, timeout=60)
        assert [r.code for r in received] == [100] * (2 * total)
        stored = lambda: sum(int(m[1]) for line in client.log() if (m := re.match(r'^history store: (\d+) stored', line)))
        assert wait_until(lambda: stored() == total, 30), client.log()[-10:]
        time.sleep(1)
        after = stats(wine, tools_dir)
        assert after.windows <= start.windows and after.threads <= start.threads + 2, (start, after)


TCP_BURST = 120  # more connections at once than the client keeps open (64)


def test_a_tcp_burst_is_taken_in_at_once_and_loses_nothing(mirelo, sender):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'FloatTime': str(FLOAT_TIME_MS)})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), ListenMode='1'))
    assert client.wait_log(r'^main frame created'), client.log()
    message = mail_datagram(sender)
    outcomes = []

    def send_one():
        # One connection per notification; the client closes its side once the message is whole.
        try:
            with socket.create_connection(('127.0.0.1', port), timeout=30) as peer:
                peer.sendall(message)
                outcomes.append(peer.recv(1) == b'')
        except OSError as error:
            outcomes.append(repr(error))

    started = time.monotonic()
    peers = [threading.Thread(target=send_one) for _ in range(TCP_BURST)]
    for peer in peers:
        peer.start()
    for peer in peers:
        peer.join()
    # Refused connections would come back only after the system's retries (1, 3, 7... seconds).
    assert time.monotonic() - started < 10 and outcomes == [True] * TCP_BURST, outcomes
    assert client.wait_count(r'^dispatch kind=2 ', TCP_BURST, timeout=30) == TCP_BURST, client.log()[-20:]
    assert client.has_log(r'^\d+ notifications waiting at once: only the newest pops up$'), client.log()[-20:]
    assert gave_way_count(client.stderr_path, 2) >= TCP_BURST // 2
