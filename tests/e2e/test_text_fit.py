"""Every text a pop-up draws fits the box it is drawn in, measured in the font the pop-up selected.

Each pop-up logs, on its first paint, the box every text needs in its font beside the box it is drawn
in, and the box of its buttons; these tests show every family with long, realistic texts in the
locale's language and fail when a text needs more than its box or runs into another text or the
buttons. The screenshots (and those of the About box and the tray menu) are kept for a person to
look at."""
from __future__ import annotations

import re

import pytest

from mirelo_client import MAIN_TITLE
from test_messages import crop
from test_popups import popups, shown, start
from test_tray import TRAY_CALLBACK, WM_LBUTTONDBLCLK, close_menu, open_menu

# Also part of the focused set that runs in the Japanese and Chinese locales.
pytestmark = pytest.mark.languages

WM_COMMAND = 0x0111
IDOK = 1
TEXT = re.compile(r'^pop-up (\w+) text (\w+) in "(.*)" needs (-?\d+),(-?\d+)-(-?\d+),(-?\d+) '
                  r'of (-?\d+),(-?\d+)-(-?\d+),(-?\d+)$')

KOREAN = {
    'subject': '2027년 상반기 예산 편성 회의 자료 검토 요청 (재무팀 확인 필요)',
    'person': '김철수 (경영지원본부 재무기획팀)',
    'board': '전사 공지사항 게시판',
    'recipients': '이영희, 박민준, 최지우, 정다은, 강현우, 윤서연',
    'title': '[중요] 사내 메신저 정기 점검 안내',
    'body': '오늘 18시부터 20시까지 메일 서버를 점검합니다.\n작성 중인 편지는 미리 저장해 주십시오.',
    'notice': '이번 금요일은 창립기념일로 전 직원이 휴무입니다.\n좋은 주말 보내십시오.',
    'header': '소방 훈련이 15시에 시작됩니다',
    'row': '모든 직원은 계단을 이용하여 주차장으로 대피하십시오',
    'alert': '정기 보안 점검@#서버실 출입 카드가 오늘 자정에 만료됩니다. 보안팀에 갱신을 신청하십시오.',
    'dept': '정보보안팀',
    'job': '책임연구원',
}
ENGLISH = {
    'subject': 'Budget 2027: review of the first-half planning papers (finance)',
    'person': 'Kim Cheolsu (Corporate Planning & Finance)',
    'board': 'Company-wide announcements',
    'recipients': 'Lee Younghee, Park Minjun, Choi Jiwoo, Jung Daeun, Kang Hyunwoo',
    'title': 'Scheduled maintenance of the messenger',
    'body': 'The mail server is down for maintenance from 18:00 to 20:00 today.\nPlease save your drafts.',
    'notice': 'The office is closed this Friday for the founding anniversary.\nHave a good weekend.',
    'header': 'The fire drill starts at 15:00 today',
    'row': 'Everybody leaves by the stairs and meets in the car park',
    'alert': 'Security check@#Your access card to the server room expires at midnight. Ask security to renew it.',
    'dept': 'Information Security',
    'job': 'Principal Engineer',
}
BUTTONS = re.compile(r'^pop-up (\w+) buttons at (-?\d+),(-?\d+)-(-?\d+),(-?\d+)$')
JAPANESE = {
    'subject': '2027年度上期予算編成会議資料のご確認のお願い（経理部確認要）',
    'person': '山田太郎（経営企画本部 財務企画グループ）',
    'board': '全社お知らせ掲示板',
    'recipients': '佐藤花子、鈴木一郎、高橋次郎、田中美咲、伊藤健太',
    'title': '【重要】社内メッセンジャー定期メンテナンスのお知らせ',
    'body': '本日18時から20時までメールサーバーのメンテナンスを行います。\n作成中のメールは保存してください。',
    'notice': '今週金曜日は創立記念日のため全社休業です。\n良い週末をお過ごしください。',
    'header': '避難訓練は15時に始まります',
    'row': '全員階段を使って駐車場に避難してください',
    'alert': '定期セキュリティ点検@#サーバー室の入館カードが本日深夜に失効します。更新を申請してください。',
    'dept': '情報セキュリティ部',
    'job': '主任研究員',
}
CHINESE = {
    'subject': '关于2027年上半年预算编制会议资料的审阅请求（财务部确认）',
    'person': '王小明（经营支持本部 财务企划组）',
    'board': '全公司公告栏',
    'recipients': '李华、张伟、刘洋、陈静、杨帆、赵磊',
    'title': '【重要】内部即时通讯系统定期维护通知',
    'body': '今天18点到20点进行邮件服务器维护。\n请提前保存正在编写的邮件。',
    'notice': '本周五为公司成立纪念日，全体员工休息。\n祝大家周末愉快。',
    'header': '消防演习将于15点开始',
    'row': '请全体员工通过楼梯撤离到停车场',
    'alert': '定期安全检查@#服务器机房门禁卡将于今晚午夜失效，请向安全部门申请更新。',
    'dept': '信息安全部',
    'job': '主任研究员',
}
TEXTS = {'ko': KOREAN, 'en': ENGLISH, 'ja': JAPANESE, 'zh': CHINESE}
LINK = ['--function', 'Open', '--url', 'http://gw/doc?id=1']


def notifications(t: dict[str, str]) -> dict[str, list[list[str]]]:
    """The sender commands that show each family, the longest variants of each."""
    return {
        'bbs': [['bbs', '--urgent', '--sub-kind', '2', '--title', t['subject'], '--board', t['board'],
                 '--poster', t['person'], '--recipients', t['recipients'], *LINK]],
        'mail': [['mail', '--urgent', '--sub-kind', '2', '--subject', t['subject'], '--sender', t['person'],
                  '--recipients', t['recipients'], *LINK]],
        'schedule': [['schedule', '--urgent', '--subject', t['subject'], '--requester', t['person'], *LINK]],
        'approval': [['approval', '--kind', kind, '--doc-kind', '8', '--action', action, '--urgent', '--sub-kind', '2',
                      '--subject', t['subject'], '--drafter', t['person'], '--processor', t['person'],
                      '--recipients', t['recipients'], *LINK]
                     for kind, action in (('4', '1'), ('5', '2'), ('11', '3'))],
        'message': [['message', '--kind', '9', '--title', t['title'], '--sender', t['person'], '--subject', t['subject'],
                     '--body', t['body'], *LINK],
                    ['message', '--kind', '8', '--subject', t['subject'], '--body', t['body'], '--icon', '2']],
        'notice': [['notice', '--sender', t['person'], '--text', t['notice'], *LINK]],
        'notifier': [['notice', '--sender', t['person'], '--animated', '--header', t['header'], '--icon', 'MAILAVI.AVI',
                      '--text1', t['row'], '--text2', t['dept'], '--text3', t['job'], '--text4', t['board']]],
        'alert': [['alert', '--message', t['alert'], '--sender', t['person'], '--dept', t['dept'], '--job', t['job'],
                   '--href', 'http://gw/alert?id=3']],
    }


def measured(log: list[str], family: str) -> list[tuple[str, str, tuple[int, ...], tuple[int, ...]]]:
    """(role, face, needed box, drawn box) of every text the family's pop-ups drew, and their buttons."""
    found = []
    for line in log:
        m = TEXT.match(line)
        if m and m.group(1) == family:
            numbers = tuple(int(n) for n in m.groups()[3:])
            found.append((m.group(2), m.group(3), numbers[:4], numbers[4:]))
        m = BUTTONS.match(line)
        if m and m.group(1) == family:
            box = tuple(int(n) for n in m.groups()[1:])
            found.append(('buttons', '', box, box))
    return found


def overlap(a: tuple[int, ...], b: tuple[int, ...]) -> bool:
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def faults(texts) -> list[str]:
    """Texts that need more than their box, and texts whose needed boxes run into each other."""
    found = [f'{role} in "{face}" needs {need} of {box}' for role, face, need, box in texts
             if need[2] > box[2] or need[3] > box[3] or need[0] < box[0] or need[1] < box[1]]
    for i, (role, _, need, _) in enumerate(texts):
        found += [f'{role} {need} runs into {other} {other_need}'
                  for other, _, other_need, _ in texts[i + 1:] if overlap(need, other_need)]
    return found


def show_one(mirelo, sender, inspector, wine, client, port, family, command, count, shot_name) -> None:
    sender.run(*command, '--port', port)
    shown(client, family, count)
    assert client.wait_count(rf'^pop-up {family} texts measured$', count) >= count, client.log()[-20:]
    window = popups(inspector)[0]
    shot = mirelo.logs / shot_name
    assert wine.screenshot(shot)
    crop(shot, window)
    inspector.send(hwnd=window['hwnd'], msg=WM_COMMAND, wparam=IDOK, post=True)
    assert client.wait_count(rf'^pop-up {family} closed$', count) >= count


def check_families(mirelo, sender, inspector, wine, locale, families, big_font):
    ini = {'FloatTime': '0', 'UseBigFontMessage': big_font, 'DisplayPos': '0'}
    client, port = start(mirelo, ini)
    all_commands = notifications(TEXTS.get(locale[:2], ENGLISH))
    problems = {}
    for family in families:
        for n, command in enumerate(all_commands[family], 1):
            before = len([line for line in client.log() if TEXT.match(line) or BUTTONS.match(line)])
            show_one(mirelo, sender, inspector, wine, client, port, family, command, n,
                     f'{family}-{n}-big{big_font}.png')
            texts = measured([line for line in client.log() if TEXT.match(line) or BUTTONS.match(line)][before:],
                             family)
            roles = {role for role, *_ in texts}
            assert len(texts) >= 3 and 'buttons' in roles and roles & {'header', 'title'}, (command, roles)
            if faults(texts):
                problems[f'{family} {n}'] = faults(texts)
    assert not problems, problems


def test_every_text_of_every_pop_up_family_fits_its_box(mirelo, sender, inspector, wine, locale):
    check_families(mirelo, sender, inspector, wine, locale,
                   ['bbs', 'mail', 'schedule', 'approval', 'message', 'notice', 'notifier', 'alert'], '0')


def test_the_big_font_subject_rows_fit_their_boxes(mirelo, sender, inspector, wine, locale):
    check_families(mirelo, sender, inspector, wine, locale, ['bbs', 'mail', 'approval'], '1')


def test_the_about_box_and_the_tray_menu_for_a_person_to_look_at(mirelo, inspector, wine):
    client, _ = start(mirelo)
    open_menu(client, inspector)
    menu = inspector.find(cls='#32768', timeout_ms=5000)
    assert menu is not None
    shot = mirelo.logs / 'tray-menu.png'
    assert wine.screenshot(shot)
    crop(shot, menu)
    close_menu(inspector)

    inspector.send(title=MAIN_TITLE, msg=TRAY_CALLBACK, wparam=129, lparam=WM_LBUTTONDBLCLK, post=True)
    assert client.wait_log(r'^about box shown, version ')
    about = next(w for w in inspector.list() if w['class'] == '#32770' and w['visible'])
    assert any(child['text'] for child in about['children']), about
    shot = mirelo.logs / 'about.png'
    assert wine.screenshot(shot)
    crop(shot, about)
    inspector.click(hwnd=about['hwnd'], control=1)
