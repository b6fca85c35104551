"""A burst of mail notifications: the client's threads stay within a fixed bound while the notifier
windows are slow to answer, and every pop-up closes on time (bench/flood measures the long floods)."""
from __future__ import annotations

import time

from flood_watch import (TIMESTAMPED, closed_count, linux_pid, linux_threads, mail_datagram, popup_events,
                         process_stats, send_steadily, show_to_close_ms)
from mirelo_client import free_port, payload
from stand_in import StandInDesktop

FLOAT_TIME_MS = 500
BURST = 80
RATE = 40
# Beyond the threads the client had after its first notification: a clip player for each pop-up that
# may be open at once (at most 30) and a few short-lived ones of the system (sounds).
THREAD_ALLOWANCE = 30 + 8


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
        start = process_stats(wine, tools_dir)
        start_threads = linux_threads(pid)

        peak = start_threads
        sending_started = time.monotonic()
        send_steadily(datagram, port, BURST, RATE)
        wine.screenshot(mirelo.logs / 'after-burst.png')
        while time.monotonic() - sending_started < 30 and closed_count(client.stderr_path, 'mail') <= BURST:
            peak = max(peak, linux_threads(pid) or 0)
            time.sleep(0.2)

        delays, still_open = show_to_close_ms(popup_events(client.stderr_path, 'mail'))
        assert still_open == 0 and len(delays) == BURST + 1, client.log()[-20:]
        assert max(delays) <= FLOAT_TIME_MS + 1000, sorted(delays)[-5:]
        assert peak - start_threads <= THREAD_ALLOWANCE, (start_threads, peak)
        # Every pop-up told both notifier windows, in the order shown.
        received = notifiers.wait_received(2 * (BURST + 1), timeout=60)
        assert [r.code for r in received] == [100] * (2 * (BURST + 1))
        time.sleep(2)
        after = process_stats(wine, tools_dir)
        assert after.threads <= start.threads + 2, (start, after)
        assert after.windows <= start.windows, (start, after)
