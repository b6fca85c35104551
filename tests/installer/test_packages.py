"""What scripts/package.sh builds, looked at without Windows: the installer's contents (read with 7-Zip),
of the shipped 32-bit installer and of the 64-bit one the Wine tests run where 32-bit programs cannot
run, and the speech server's Debian package, whose service command is run as systemd would run it."""
from __future__ import annotations

import pathlib
import shlex
import signal
import socket
import subprocess

import pytest

from conftest import built_installer, built_package, is_64bit, program_list, run_package


def extract_installer(setup: pathlib.Path, into: pathlib.Path) -> set[str]:
    """The installer's files (7-Zip reads NSIS archives), extracted; returns their names."""
    subprocess.run(['7z', 'x', '-y', f'-o{into}', str(setup)], capture_output=True, check=True, timeout=120)
    return {p.name for p in into.iterdir() if p.is_file()}


def file_version(exe: pathlib.Path) -> str:
    """The "FileVersion" text of a program's version resource."""
    data = exe.read_bytes()
    key = 'FileVersion\0'.encode('utf-16-le')
    at = data.rindex(key) + len(key)
    at += (4 - at % 4) % 4  # the value starts on a 32-bit boundary
    return data[at:data.index(b'\0\0', at) + 1].decode('utf-16-le').rstrip('\0')


@pytest.fixture(scope='module')
def shipped_setup(shipped_dir, tmp_path_factory) -> pathlib.Path:
    # package.sh's default: the win32 build.
    return built_package('client', '--out', tmp_path_factory.mktemp('shipped'))


def test_the_shipped_installer_is_the_32_bit_one_with_every_file_of_the_builds_list(shipped_setup, shipped_dir,
                                                                                   version, tmp_path):
    program_files = program_list(shipped_dir)
    assert shipped_setup.name == f'Mirelo-Setup-{version}.exe'
    assert not is_64bit(shipped_setup) and not is_64bit(shipped_dir / 'Mirelo.exe')
    names = extract_installer(shipped_setup, tmp_path)
    assert set(program_files) | {'Uninstall.exe'} <= names
    assert {'Mirelo.exe', 'PingoProxy.dll', 'vocelink.dll', 'Mirelo.ini'} <= set(program_files)
    assert any(n.endswith('.wav') for n in program_files) and any(n.endswith('.AVI') for n in program_files)
    for name in program_files:
        assert (tmp_path / name).read_bytes() == (shipped_dir / name).read_bytes(), name


def test_the_wine_builds_installer_matches_its_build(setup_exe, win32_dir, program_files, version, tmp_path):
    wide = is_64bit(win32_dir / 'Mirelo.exe')
    assert setup_exe.name == f'Mirelo-Setup-{version}{"-x64" if wide else ""}.exe'
    assert is_64bit(setup_exe) == wide
    extract_installer(setup_exe, tmp_path)
    for name in program_files:
        assert (tmp_path / name).read_bytes() == (win32_dir / name).read_bytes(), name


def test_a_build_for_another_machine_is_refused(shipped_dir, tmp_path):
    result = run_package('client', '--target', 'win64', '--windows-dir', shipped_dir, '--out', tmp_path)
    assert result.returncode != 0
    assert 'built for i386, not for win64' in result.stderr
    assert not list(tmp_path.glob('*.exe'))


def test_the_about_box_and_the_installer_show_one_version(shipped_setup, shipped_dir, version):
    assert file_version(shipped_dir / 'Mirelo.exe') == version
    assert file_version(shipped_setup) == version


def test_an_administrators_ini_replaces_the_builds_one(shipped_dir, tmp_path):
    ini = tmp_path / 'site.ini'
    ini.write_bytes(b'[Server]\r\nVersion=site-3\r\nIPAddress=10.1.2.3\r\n\r\n[Macro]\r\nGW=Quillon\r\n')
    setup = built_installer(shipped_dir, tmp_path / 'out', '--ini', ini)
    extract_installer(setup, tmp_path / 'files')
    assert (tmp_path / 'files' / 'Mirelo.ini').read_bytes() == ini.read_bytes()


@pytest.mark.parametrize('text', [
    '[Server]\nIPAddress=10.1.2.3\n[Macro]\n',   # no Version: users' settings could never be re-seeded
    '[Server]\nVersion=3\nIPAddress=10.1.2.3\n',  # no Macro section
    '[Other]\nVersion=3\n[Macro]\n',              # Version outside [Server]
])
def test_a_program_ini_without_version_or_macro_section_is_refused(shipped_dir, tmp_path, text):
    ini = tmp_path / 'bad.ini'
    ini.write_text(text)
    result = run_package('client', '--windows-dir', shipped_dir, '--out', tmp_path / 'out', '--ini', ini)
    assert result.returncode != 0
    assert 'needs a Version in [Server] and a [Macro] section' in result.stderr
    assert not list((tmp_path / 'out').glob('*.exe'))


# The speech server ---------------------------------------------------------------------------------------

@pytest.fixture(scope='module')
def server_deb(native_dir, tmp_path_factory) -> pathlib.Path:
    if not (native_dir / 'vocelink-server').exists():
        pytest.exit(f'vocelink-server is not built in {native_dir}', returncode=1)
    return built_package('server', '--native-dir', native_dir, '--out', tmp_path_factory.mktemp('server'))


def deb_field(deb: pathlib.Path, name: str) -> str:
    return subprocess.run(['dpkg-deb', '-f', str(deb), name], capture_output=True, text=True,
                          check=True).stdout.strip()


def test_the_server_package_installs_a_service(server_deb, version):
    arch = subprocess.run(['dpkg', '--print-architecture'], capture_output=True, text=True).stdout.strip()
    assert server_deb.name == f'vocelink-server_{version}_{arch}.deb'
    assert deb_field(server_deb, 'Package') == 'vocelink-server'
    assert deb_field(server_deb, 'Version') == version
    depends = deb_field(server_deb, 'Depends')
    assert 'libc6' in depends and 'espeak-ng' in depends
    listing = subprocess.run(['dpkg-deb', '-c', str(server_deb)], capture_output=True, text=True, check=True).stdout
    for path in ('./usr/bin/vocelink-server', './lib/systemd/system/vocelink-server.service',
                 './etc/default/vocelink-server'):
        assert path in listing, path
    conffiles = subprocess.run(['dpkg-deb', '-I', str(server_deb), 'conffiles'], capture_output=True, text=True,
                               check=True).stdout
    assert conffiles.split() == ['/etc/default/vocelink-server']


def service_command(root: pathlib.Path) -> list[str]:
    """ExecStart of the unit with the options of its environment file, as systemd expands them."""
    unit = (root / 'lib/systemd/system/vocelink-server.service').read_text()
    exec_start = next(line.split('=', 1)[1] for line in unit.splitlines() if line.startswith('ExecStart='))
    assert 'EnvironmentFile=-/etc/default/vocelink-server' in unit
    options = {}
    for line in (root / 'etc/default/vocelink-server').read_text().splitlines():
        if line and not line.startswith('#'):
            name, value = line.split('=', 1)
            options[name] = shlex.split(value)[0]
    command = []
    for word in exec_start.split():
        command += options[word[1:]].split() if word.startswith('$') else [word]
    return command


def test_the_packaged_service_command_serves_speech_clients(server_deb, tmp_path):
    subprocess.run(['dpkg-deb', '-x', str(server_deb), str(tmp_path)], check=True)
    command = service_command(tmp_path)
    assert command[0] == '/usr/bin/vocelink-server'
    assert command[1:] == ['--bind', '0.0.0.0', '--port', '7000']
    # The packaged program with the packaged options; only the port is moved off the fixed one.
    server = subprocess.Popen([str(tmp_path / command[0].lstrip('/')), *command[1:], '--port', '0', '--tone'],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        port = int(server.stdout.readline())
        with socket.create_connection(('127.0.0.1', port), timeout=10):
            pass
        server.send_signal(signal.SIGTERM)  # how systemd stops it
        assert server.wait(timeout=20) == 0
    finally:
        if server.poll() is None:
            server.kill()
            server.wait()
