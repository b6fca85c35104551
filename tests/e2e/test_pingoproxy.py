"""PingoProxy.dll under Wine: notifier windows of a stand-in receive the code as the library promises.

pingoproxy-check loads the library with LoadLibraryA and calls PingoSendMessage found by its plain name;
stand-in.exe owns the notifier windows (top-level and nested, classes that contain "QXPingoMsgWnd"
exactly, with a prefix or a suffix, and decoys that do not) and logs every WM_COPYDATA with the window
that received it.
"""
from __future__ import annotations

import collections

import pytest

from stand_in import StandInDesktop, search_order

PATTERN = 'QXPingoMsgWnd'


@pytest.fixture
def desktop(wine, inspector, tools_dir, work_dir, request):
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name) as stand_in_desktop:
        yield stand_in_desktop


@pytest.fixture
def check(desktop, win32_dir):
    if not (win32_dir / 'PingoProxy.dll').exists():
        pytest.fail(f'PingoProxy.dll is not built in {win32_dir}')
    exe = win32_dir / 'pingoproxy-check.exe'
    return lambda *args, timeout=60: desktop.run_check(exe, *args, timeout=timeout)[0]


@pytest.fixture
def notifiers(desktop):
    """Starts stand-in notifier windows; all are ended after the test."""
    return lambda *args: desktop.start('pingo', *args)


def test_no_notifier_window_returns_0_and_sends_nothing(check, notifiers):
    decoys = notifiers('--windows', '0')
    assert [w.cls for w in decoys.windows()] == ['QXPingoMsgWn', 'qxpingomsgwnd_decoy']
    assert check('send', 7, 'abc') == 'PingoSendMessage(7, abc) = 0\n'
    assert check('send', 8) == 'PingoSendMessage(8, NULL) = 0\n'
    assert decoys.received() == []


def test_nested_windows_children_first_and_only_the_first_ten_found(check, notifiers):
    stand_in = notifiers('--windows', '12', '--nested')
    windows = stand_in.windows()
    expected = search_order(windows, PATTERN)
    assert len(expected) == 15

    assert check('send', 200) == 'PingoSendMessage(200, NULL) = 1\n'
    received = stand_in.wait_received(10)
    assert [r.window for r in received] == expected[:10]
    assert all(r.code == 200 and r.byte_count == 0 and r.data == b'' for r in received)

    got = [windows[r.window] for r in received]
    classes = {w.cls for w in got}
    assert {'QXPingoMsgWnd', 'XQXPingoMsgWndY', 'PrefixQXPingoMsgWnd', 'QXPingoMsgWndSuffix'} <= classes
    # Every receiver's own notifier descendants got the message before it did.
    position = {w.index: i for i, w in enumerate(got)}
    for window in got:
        if window.parent in position:
            assert position[window.index] < position[window.parent]
    assert any(w.parent >= 0 and windows[w.parent].cls == 'QXPingoMsgWn' for w in got), 'child of a decoy'
    assert sum(1 for w in got if w.parent >= 0) == 3
    # The last notifiers in z-order are beyond the ten.
    assert set(expected[10:]).isdisjoint(position)
    assert not any(PATTERN not in w.cls for w in got)


def test_text_is_sent_with_its_nul_and_no_text_sends_no_bytes(check, notifiers):
    stand_in = notifiers('--windows', '2')
    assert check('send', 5) == 'PingoSendMessage(5, NULL) = 1\n'
    assert check('send', 6, 'abc') == 'PingoSendMessage(6, abc) = 1\n'
    received = stand_in.wait_received(4)
    assert [(r.code, r.byte_count, r.data) for r in received] == [
        (5, 0, b''), (5, 0, b''), (6, 4, b'abc\0'), (6, 4, b'abc\0')]
    assert [r.window for r in received] == search_order(stand_in.windows(), PATTERN) * 2


def test_calls_from_many_threads_at_once_each_reach_the_same_ten_windows(check, notifiers):
    stand_in = notifiers('--windows', '12', '--nested')
    expected = search_order(stand_in.windows(), PATTERN)[:10]
    threads, calls, first_code = 8, 25, 1000
    output = check('threads', threads, calls, first_code, timeout=300)
    assert f'returned 1: {threads * calls} of {threads * calls}' in output

    received = stand_in.wait_received(threads * calls * 10)
    assert len(received) == threads * calls * 10
    by_code = collections.defaultdict(list)
    for r in received:
        assert r.byte_count == 0
        by_code[r.code].append(r.window)
    assert sorted(by_code) == list(range(first_code, first_code + threads * calls))
    for code, windows in by_code.items():
        assert windows == expected, f'code {code}'


def test_a_batch_reaches_every_window_with_its_codes_in_order(check, notifiers):
    stand_in = notifiers('--windows', '12', '--nested')
    expected = search_order(stand_in.windows(), PATTERN)[:10]
    codes = [100, 100, 7, 200, 100]
    assert check('batch', *codes).startswith('PingoSendMessages(5 codes) = 1 in ')
    received = stand_in.wait_received(len(codes) * 10)
    assert [(r.code, r.window, r.byte_count) for r in received] == [(c, w, 0) for c in codes for w in expected]


def test_a_batch_without_a_notifier_window_returns_0(check, notifiers):
    decoys = notifiers('--windows', '0')
    assert check('batch', 1, 2).startswith('PingoSendMessages(2 codes) = 0 in ')
    assert decoys.received() == []


def test_a_batch_stops_waiting_for_a_window_that_does_not_answer(check, notifiers):
    # Each code would hold the caller 6 s per window; after 5 s without an answer a window gets no more.
    stand_in = notifiers('--windows', '2', '--answer-ms', '6000')
    output = check('batch', 1, 2, 3, timeout=120)
    took_ms = int(output.split(' in ')[1].split()[0])
    assert took_ms < 2 * 6000 + 2000, output  # not 3 codes x 2 windows x 6 s
    # The second window may still get the first code, once the stand-in is free again; nothing after it.
    received = stand_in.wait_received(2, timeout=20)
    assert received and {r.code for r in received} == {1}, received
