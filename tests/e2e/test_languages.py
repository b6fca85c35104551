"""The Japanese and Chinese user interface: start-up, the shorter tray menus, each pop-up family and
the About box, as a user of a Japanese (code page 932) or Chinese (936) desktop sees them.

Run in ja_JP.UTF-8 and zh_CN.UTF-8 (`-m languages`); Korean and English are covered by the other modules.
"""
from __future__ import annotations

import pytest

from test_alerts import alerts, crop, send_alert
from test_history import LIST as HISTORY_LIST, batch, rows_of
from test_history import start as start_history
from test_quiet import ACCEPTS, PRESENTING
from test_quiet import start as start_quiet
from test_popups import VIEW, popups, send_mail, shown, start
from test_received_list import LIST
from test_tray import MAIN_TITLE, TRAY_CALLBACK, WM_COMMAND, WM_LBUTTONDBLCLK, close_menu, open_menu

pytestmark = pytest.mark.languages

OK, NO = 1, 2

# Per language: the texts the program shows, exactly as its resources hold them.
TEXTS = {
    'ja': {
        'menu': ('バージョン情報*|常に手前に表示[x]|表示位置>(中央|左上|右上|左下|右下[x])|'
                 '通知する項目>(メール[x]|掲示板[x]|決裁[x]|スケジュール[x])|緊急のみ通知|'
                 'プレゼンテーション中は通知を保留[x]|通知履歴...|終了'),
        'menu_short': ('バージョン情報*|常に手前に表示[x]|表示位置>(中央|左上|右上|左下|右下)|緊急のみ通知[x]|'
                       'プレゼンテーション中は通知を保留[x]|通知履歴...|終了'),
        'menu_list': 'バージョン情報*|通知履歴...|終了', 'urgency': '緊急のみ通知', 'history': '通知履歴', 'ansi': 'cp932',
        'caption': '通知', 'view': '表示', 'ok': 'OK', 'about': 'Quillon グループウェア通知プログラム',
        'confirm': '確認', 'yes': 'はい', 'no': 'いいえ', 'question': '未確認のメッセージがあります。',
        'columns': [' ヒント', ' 種類', ' 時刻', ' 件名', ' 送信者'], 'kinds': ['決裁', 'メール'],
        'subject': '四半期報告', 'sender': '山田太郎 (営業部)', 'board': 'お知らせ', 'alert_title': '避難訓練',
    },
    'zh': {
        'menu': ('关于*|总在最前[x]|窗口位置>(居中|左上|右上|左下|右下[x])|'
                 '通知项目>(邮件[x]|公告板[x]|审批[x]|日程[x])|仅紧急通知|演示时暂缓通知[x]|通知历史...|退出'),
        'menu_short': '关于*|总在最前[x]|窗口位置>(居中|左上|右上|左下|右下)|仅紧急通知[x]|演示时暂缓通知[x]|通知历史...|退出',
        'menu_list': '关于*|通知历史...|退出', 'urgency': '仅紧急通知', 'history': '通知历史', 'ansi': 'cp936',
        'caption': '通知', 'view': '查看', 'ok': '确定', 'about': 'Quillon 协同办公通知程序',
        'confirm': '确认', 'yes': '是', 'no': '否', 'question': '还有尚未查看的消息。',
        'columns': [' 提示', ' 类型', ' 时间', ' 标题', ' 发送人'], 'kinds': ['审批', '邮件'],
        'subject': '季度报告', 'sender': '王小明 (销售部)', 'board': '公告', 'alert_title': '消防演习',
    },
}


@pytest.fixture(scope='module')
def t(locale):
    language = locale[:2]
    if language not in TEXTS:
        pytest.skip('the Japanese and Chinese interface runs in ja_JP and zh_CN')
    return TEXTS[language]


def shot(wine, mirelo, name: str, window: dict | None = None):
    path = mirelo.logs / f'{name}.png'
    assert wine.screenshot(path)
    if window is not None:
        crop(path, window['rect'], f'{name}-crop.png')


def texts_of(window: dict) -> list[str]:
    return [child['text'] for child in window['children']]


def test_start_up_and_the_tray_menu_with_the_default_settings(mirelo, inspector, wine, t):
    client, _ = start(mirelo)
    assert client.has_log(r'^tray icon added: id 129, tip "NotifyClient"$')
    assert open_menu(client, inspector) == t['menu']
    shot(wine, mirelo, 'tray-menu')
    close_menu(inspector)


@pytest.mark.parametrize('ini, expected', [
    ({'ShowUseNotifyMenu': '0', 'OnlyUrgency': '1', 'DisplayPos': '9', 'FloatTime': '5000'}, 'menu_short'),
    ({'UseRecvListDlg': '1'}, 'menu_list'),
], ids=['usage-hidden', 'received-list'])
def test_the_settings_that_shorten_the_menu_remove_exactly_their_entries(mirelo, inspector, wine, t, ini, expected):
    client, _ = start(mirelo, ini)
    assert open_menu(client, inspector) == t[expected]
    shot(wine, mirelo, 'tray-menu')
    close_menu(inspector)


def test_only_urgency_is_toggled_from_the_menu_and_saved(mirelo, inspector, t):
    client, _ = start(mirelo)
    inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32783)
    menu = open_menu(client, inspector)
    close_menu(inspector)
    assert menu == t['menu'].replace(f"|{t['urgency']}|", f"|{t['urgency']}[x]|")
    mirelo.stop_all()
    assert client.wait_exit(10) == 0
    assert mirelo.read_ini(mirelo.user_ini)['OnlyUrgency'] == '1'


def test_the_about_box(mirelo, inspector, wine, t):
    client, _ = start(mirelo)
    inspector.send(title=MAIN_TITLE, msg=TRAY_CALLBACK, wparam=129, lparam=WM_LBUTTONDBLCLK, post=True)
    about = inspector.find(title=t['caption'], timeout_ms=10000)
    assert about is not None
    assert t['about'] in texts_of(about) and inspector.control(about, OK)['text'] == t['ok']
    shot(wine, mirelo, 'about', about)
    inspector.click(hwnd=about['hwnd'], control=OK)
    assert client.wait_log(r'^about box shown, version ')


def test_the_document_pop_ups(mirelo, sender, inspector, wine, t):
    client, port = start(mirelo, {'DisplayPos': '0'})
    send_mail(sender, port, sender_name=t['sender'], subject=t['subject'], function='f',
              url='http://gw/m')
    sender.run('approval', '--kind', '4', '--doc-kind', '8', '--action', '1', '--drafter', t['sender'],
               '--subject', t['subject'], '--function', 'f', '--url', 'http://gw/a', '--port', port)
    sender.run('bbs', '--poster', t['sender'], '--board', t['board'], '--title', t['subject'], '--function', 'f',
               '--url', 'http://gw/b', '--port', port)
    sender.run('schedule', '--requester', t['sender'], '--subject', t['subject'], '--port', port)
    for family in ('mail', 'approval', 'bbs', 'schedule'):
        shown(client, family)
    windows = popups(inspector)
    assert len(windows) == 4
    for window in windows:
        assert window['title'] == t['caption']
        assert inspector.control(window, VIEW)['text'] == t['view'] and inspector.control(window, OK)['text'] == t['ok']
    # They lie over each other: each is photographed on top, then closed.
    for name, window in zip(('schedule', 'bbs', 'approval', 'mail'), windows):
        shot(wine, mirelo, name, window)
        inspector.click(hwnd=window['hwnd'], control=OK)
        assert client.wait_log(rf'^pop-up {name} closed$')


def test_the_message_notice_and_notifier_pop_ups(mirelo, sender, inspector, wine, t):
    client, port = start(mirelo, {'DisplayPos': '0'})
    sender.run('message', '--kind', '9', '--title', t['subject'], '--sender', t['sender'],
               '--subject', t['subject'], '--function', 'f', '--url', 'http://gw/x', '--port', port)
    shown(client, 'message')
    shot(wine, mirelo, 'message', popups(inspector)[0])
    inspector.click(hwnd=popups(inspector)[0]['hwnd'], control=OK)
    sender.run('notice', '--sender', t['sender'], '--text', t['subject'], '--port', port)
    shown(client, 'notice')
    shot(wine, mirelo, 'notice', popups(inspector)[0])
    inspector.click(hwnd=popups(inspector)[0]['hwnd'], control=OK)
    sender.run('notice', '--sender', t['sender'], '--animated', '--header', t['subject'],
               '--icon', 'MAILAVI.AVI', '--text1', t['sender'], '--port', port)
    shown(client, 'notifier')
    window = popups(inspector)[0]
    assert window['title'] == t['caption']
    shot(wine, mirelo, 'notifier', window)


def test_the_alert_pop_up(mirelo, sender, inspector, wine, t):
    client, port = start(mirelo)
    send_alert(sender, port, title=t['alert_title'], message=t['subject'], sender=t['sender'], dept='', job='')
    shown(client, 'alert')
    (window,) = alerts(inspector)
    shot(wine, mirelo, 'alert', window)


def test_the_received_list(mirelo, sender, inspector, wine, t):
    client, port = start(mirelo, {'UseRecvListDlg': '1', 'ShowApprConst': '1'})
    send_mail(sender, port, sender_name=t['sender'], subject=t['subject'])
    assert client.wait_log(r'^received list shown: 1 rows$')
    sender.run('approval', '--kind', '4', '--doc-kind', '8', '--action', '1', '--drafter', t['sender'],
               '--subject', t['subject'], '--port', port)
    assert client.wait_log(r'^received list shown: 2 rows$')
    window = inspector.find(title=t['caption'], cls='#32770', visible=True, timeout_ms=10000)
    document = inspector.listview(LIST, hwnd=window['hwnd'])
    assert [c['text'] for c in document['columns']] == t['columns']
    assert [row['texts'][1] for row in document['rows']] == t['kinds']
    assert inspector.control(window, OK)['text'].replace(' ', '') == t['ok'].replace(' ', '')
    shot(wine, mirelo, 'received-list', window)


def test_the_question_before_ending_with_unread_pop_ups(mirelo, sender, inspector, wine, t):
    client, port = start(mirelo)
    send_mail(sender, port, function='f', url='http://gw/m')
    shown(client, 'mail')
    sender.run('end', '--port', port)
    assert client.wait_log(r'^unconfirmed-messages dialog shown$')
    dialog = inspector.find(title=t['confirm'], timeout_ms=5000)
    assert dialog is not None
    assert inspector.control(dialog, OK)['text'] == t['yes'] and inspector.control(dialog, NO)['text'] == t['no']
    assert any(t['question'] in text for text in texts_of(dialog))
    shot(wine, mirelo, 'unconfirmed', dialog)
    inspector.click(hwnd=dialog['hwnd'], control=NO)
    assert client.wait_exit(15) == 0


def test_the_history_window(mirelo, sender, inspector, wine, t):
    client, port = start_history(mirelo)
    batch(sender, port, t['ansi'], ('--notify', '2', '--sender', t['sender'], '--subject', t['subject'], '--date',
                                    '2026-12-07 09:00', '--url', 'http://gw/m'))
    assert client.wait_log(r'^store: 1 stored'), client.log()
    inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32798, post=True)
    assert client.wait_log(r'^history window: 1 of 1 rows after \d+ ms$'), client.log()
    window = inspector.find(title=t['history'], cls='#32770', visible=True, timeout_ms=10000)
    assert window is not None
    document = inspector.listview(HISTORY_LIST, hwnd=window['hwnd'])
    assert [c['text'] for c in document['columns']] == t['columns']
    assert [row['texts'][1:] for row in document['rows']] == [[t['kinds'][1], '2026-12-07 09:00', t['subject'],
                                                               t['sender']]]
    shot(wine, mirelo, 'history', window)


def test_quiet_while_presenting(mirelo, sender, inspector, wine, t):
    client, port, state_file = start_quiet(mirelo, PRESENTING)
    send_mail(sender, port, sender_name=t['sender'], subject=t['subject'], function='f', url='http://gw/m')
    assert client.wait_log(r'^quiet: kind 2 held \(user state 4\)$'), client.log()
    assert not client.has_log(r'^pop-up ')
    state_file.write_text(ACCEPTS)
    assert client.wait_log(r'^received list shown: 1 rows$'), client.log()
    window = inspector.find(title=t['caption'], cls='#32770', visible=True, timeout_ms=10000)
    assert [row['texts'][3] for row in inspector.listview(LIST, hwnd=window['hwnd'])['rows']] == [t['subject']]
    shot(wine, mirelo, 'listed-after-presenting', window)
