"""The installer as an administrator rolls it out, under Wine in a fresh prefix: silent install, the
groupware's link and shortcut file opened through the shell, an upgrade over a running client, the
installer's pages, and a silent uninstall. The tests build on each other and run in file order."""
from __future__ import annotations

import re
import subprocess

import pytest

from conftest import is_64bit
from flood_watch import linux_pid
from mirelo_client import MireloProcess, payload
from wine_session import kill_group, wait_until

# Both registry views: the 64-bit shell reads one, a 32-bit client the other.
CLASS_ROOTS = (r'HKLM\Software\Classes', r'HKLM\Software\Wow6432Node\Classes')


@pytest.fixture(scope='module')
def wide(win32_dir) -> bool:
    """Whether the installer is the 64-bit one: it installs into the 64-bit program folder and keeps
    its entry in the 64-bit registry view; the 32-bit one uses the 32-bit folder and view."""
    return is_64bit(win32_dir / 'Mirelo.exe')


@pytest.fixture(scope='module')
def program_dir(wine, wide):
    return wine.drive_c / ('Program Files' if wide else 'Program Files (x86)') / 'Mirelo'


@pytest.fixture(scope='module')
def program(wine, program_dir) -> str:
    return wine.windows_path(program_dir)


@pytest.fixture(scope='module')
def uninstall_key(wide) -> str:
    return r'HKLM\Software' + ('' if wide else r'\Wow6432Node') + r'\Microsoft\Windows\CurrentVersion\Uninstall\Mirelo'


@pytest.fixture(scope='module')
def user_ini(wine):
    return wine.user_appdata() / 'Tessel Groupware 8' / 'Mirelo.ini'


@pytest.fixture(scope='module')
def start_menu_link(wine):
    return wine.drive_c / 'ProgramData' / 'Microsoft' / 'Windows' / 'Start Menu' / 'Programs' / 'Mirelo.lnk'


def run_logged(wine, args: list[str], log, timeout: float = 180) -> int:
    """Runs a program with its output in a file: a background process of Wine that it happens to
    start must not hold a pipe of ours open."""
    with open(log, 'ab') as out:
        command = ['timeout', '--kill-after=5', str(int(timeout)), 'wine', *args]
        return subprocess.run(command, env=wine.env(debug=False), stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                              timeout=timeout + 15).returncode


def install(wine, setup_exe, logs) -> None:
    assert run_logged(wine, [str(setup_exe), '/S'], logs / 'setup.log') == 0


def reg_value(wine, key: str, name: str | None) -> str | None:
    """The data of one value as reg prints it, or None."""
    text = wine.reg_query(key, name)
    if text is None:
        return None
    match = re.search(r'^\s+\S.*?\s+REG_\w+\s+(.*?)\s*$', text, re.M)
    return match.group(1) if match else None


def key_exists(wine, key: str) -> bool:
    return wine.run(['reg', 'query', key], timeout=30).returncode == 0


def shell_start(wine, target: str, logs, name: str) -> MireloProcess:
    """`wine start TARGET`: the shell finds the program through the registry. The client inherits the
    standard error of `start`, so its debug lines land in the log file."""
    stderr_path = logs / f'{name}.stderr'
    with open(stderr_path, 'wb') as err:
        process = subprocess.Popen(['wine', 'start', target], env=wine.env(debug=True), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=err, start_new_session=True)
    return MireloProcess(process, stderr_path, wine.code_page)


def wait_ended(wine) -> None:
    """The client writes the user's settings as its process ends, after its last log line: what comes
    next must not race that write."""
    assert wait_until(lambda: linux_pid(wine.prefix, 'Mirelo.exe') is None, 30), 'the client did not end'


def end_client(wine, program: str, client: MireloProcess) -> None:
    wine.run([program + r'\Mirelo.exe', 'APPEXIT'], timeout=60)
    assert client.wait_log(r'^shutdown$', 60), client.log()[-20:]
    wait_ended(wine)


def settings_written(user_ini, key: str) -> list[str]:
    """The user's settings file once a line starts with KEY: the client rewrites it as its process ends,
    after its last log line."""
    def lines():
        text = user_ini.read_text(errors='replace').splitlines() if user_ini.is_file() else []
        return text if any(line.startswith(key) for line in text) else []
    return wait_until(lines, 30, 0.2)


def test_a_silent_install_puts_the_builds_program_folder_in_place(wine, setup_exe, program_files, win32_dir,
                                                                 program_dir, start_menu_link, logs):
    install(wine, setup_exe, logs)
    for name in program_files:
        assert (program_dir / name).read_bytes() == (win32_dir / name).read_bytes(), name
    assert (program_dir / 'Uninstall.exe').is_file()
    assert start_menu_link.is_file()


def test_the_registry_names_mirelo_for_links_shortcut_files_and_programs_and_features(wine, version, program,
                                                                                       uninstall_key):
    command = f'"{program}\\Mirelo.exe" "%1"'
    expected = [(uninstall_key, 'DisplayName', 'Mirelo'), (uninstall_key, 'DisplayVersion', version),
                (uninstall_key, 'QuietUninstallString', f'"{program}\\Uninstall.exe" /S')]
    for root in CLASS_ROOTS:
        expected += [(rf'{root}\qsnotifyclient', 'URL Protocol', None),
                     (rf'{root}\qsnotifyclient\shell\open\command', None, command),
                     (rf'{root}\.xnf', None, 'xnf_auto_file'),
                     (rf'{root}\xnf_auto_file', 'EditFlags', '00000100'),
                     (rf'{root}\xnf_auto_file\shell\open\command', None, command)]
    for key, name, data in expected:
        if data is None:
            assert wine.reg_query(key, name) is not None, (key, name)
        else:
            assert reg_value(wine, key, name) == data, (key, name)


def test_a_link_opened_by_the_shell_starts_the_client_with_its_payload(wine, logs, user_ini, program):
    client = shell_start(wine, payload(UserID='linkuser', UserKey='linkkey'), logs, 'link')
    assert client.wait_log(r'^main frame created', 60), client.log()[-20:]
    assert client.has_log(r'^payload field 5: linkuser$')
    assert client.has_log(r'^payload field 9: linkkey$')
    end_client(wine, program, client)
    assert 'UserID=linkuser' in settings_written(user_ini, 'UserID=linkuser')


def test_a_shortcut_file_opened_by_the_shell_starts_the_client_with_its_payload(wine, logs, program):
    xnf = wine.drive_c / 'users' / 'Public' / 'start.xnf'
    xnf.write_text(payload(UserID='fileuser')[len('qsnotifyclient://'):])
    client = shell_start(wine, wine.windows_path(xnf), logs, 'xnf')
    assert client.wait_log(r'^main frame created', 60), client.log()[-20:]
    assert client.has_log(r'^payload field 5: fileuser$')
    assert client.has_log(r'^shortcut file deleted: ')
    assert not xnf.exists()
    end_client(wine, program, client)


def test_an_upgrade_ends_the_running_client_and_keeps_the_users_settings(wine, setup_exe, logs, user_ini,
                                                                         program_dir, program):
    text = user_ini.read_text(errors='replace')
    for key, value in (('DisplayPos', '4'), ('FloatTime', '10000')):
        text = re.sub(rf'^{key}=.*$', f'{key}={value}', text, flags=re.M)
    user_ini.write_text(text)
    running = shell_start(wine, payload(), logs, 'before')
    assert running.wait_log(r'^main frame created', 60)

    install(wine, setup_exe, logs)
    assert running.wait_log(r'^shutdown$', 30), 'the upgrade left the client running'
    wait_ended(wine)
    assert (program_dir / 'Mirelo.exe').is_file()

    # The new client goes on with the user's file rather than seeding a fresh one from the program folder.
    client = shell_start(wine, payload(), logs, 'after')
    assert client.wait_log(r'^main frame created', 60)
    end_client(wine, program, client)
    settings = settings_written(user_ini, 'DisplayPos=')
    assert 'DisplayPos=4' in settings and 'FloatTime=10000' in settings


def test_the_installer_pages_speak_the_desktops_language(wine, setup_exe, inspector, logs, korean):
    process = subprocess.Popen(['wine', str(setup_exe)], env=wine.env(debug=False), stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        page = inspector.find(title='Mirelo 설치' if korean else 'Mirelo Setup', timeout_ms=60000)
        assert page is not None
        texts = ' '.join(c.get('text', '') for c in page['children'])
        assert ('다음' if korean else 'Next') in texts
        wine.screenshot(logs / 'welcome.png')
    finally:
        kill_group(process)


def test_a_silent_uninstall_ends_the_client_and_leaves_nothing_of_ours(wine, logs, program_files, program_dir,
                                                                      program, uninstall_key, start_menu_link,
                                                                      user_ini):
    client = shell_start(wine, payload(), logs, 'running')
    assert client.wait_log(r'^main frame created', 60)

    assert run_logged(wine, [program + r'\Uninstall.exe', '/S'], logs / 'uninstall.log') == 0
    assert client.wait_log(r'^shutdown$', 60), 'the uninstaller left the client running'
    # The uninstaller goes on from a copy of itself in the temporary folder.
    assert wait_until(lambda: not key_exists(wine, uninstall_key), 120)
    assert not (program_dir / 'Uninstall.exe').exists()
    assert not [name for name in program_files if (program_dir / name).exists()]
    assert not start_menu_link.exists()
    ours = [uninstall_key] + [f'{root}\\{name}' for root in CLASS_ROOTS
                              for name in ('qsnotifyclient', '.xnf', 'xnf_auto_file')]
    assert not [key for key in ours if key_exists(wine, key)]
    assert user_ini.is_file()  # users' own data stays
