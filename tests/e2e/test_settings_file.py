"""The per-user Mirelo.ini: seeding from the program folder, versions, and what a run writes back."""
from __future__ import annotations

from mirelo_client import payload


def test_first_run_seeds_the_user_ini_from_the_program_folder(mirelo):
    mirelo.write_ini(mirelo.program_ini, {'Version': '7.2', 'UserID': 'seeded', 'FloatTime': '3000'})
    assert not mirelo.user_folder.exists()

    client = mirelo.start()
    assert client.running
    ini_line = client.wait_log(r'^INI file: ')
    assert ini_line.endswith('\\Tessel Groupware 8\\Mirelo.ini')
    assert mirelo.user_ini.exists()
    assert mirelo.read_ini(mirelo.user_ini)['Version'] == '7.2'

    mirelo.stop_all()
    saved = mirelo.read_ini(mirelo.user_ini)
    assert saved['UserID'] == 'seeded'
    assert saved['FloatTime'] == '3000'


def test_same_version_keeps_the_users_changes(mirelo):
    mirelo.write_ini(mirelo.program_ini, {'Version': '7.2', 'DisplayPos': '0'})
    mirelo.write_ini(mirelo.user_ini, {'Version': ' 7.2 ', 'DisplayPos': '4', 'UserID': 'mine'})

    mirelo.start()
    mirelo.stop_all()
    saved = mirelo.read_ini(mirelo.user_ini)
    assert saved['DisplayPos'] == '4'
    assert saved['UserID'] == 'mine'


def test_different_or_empty_version_replaces_the_users_copy(mirelo):
    for user_version in ('7.1', ''):
        mirelo.write_ini(mirelo.program_ini, {'Version': '7.2', 'DisplayPos': '1'})
        mirelo.write_ini(mirelo.user_ini, {'Version': user_version, 'DisplayPos': '4'})
        mirelo.start()
        mirelo.stop_all()
        saved = mirelo.read_ini(mirelo.user_ini)
        assert saved['Version'] == '7.2', user_version
        assert saved['DisplayPos'] == '1', user_version


def test_payload_values_reach_the_user_ini_at_exit(mirelo):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'ElpaseTime': '60000', 'UseMailNotify': 'yes'})
    client = mirelo.start(payload(IPAddress='10.9.8.7', SendPort='5151', BrowserTitle='Portal', UserID='lee',
                                  AutoKill='0', Reflesh='1', NotifyLogOutType='2'))
    assert client.wait_log(r'^payload field 18: ')
    mirelo.stop_all()
    assert client.wait_exit(10) == 0
    saved = mirelo.read_ini(mirelo.user_ini)
    assert saved['IPAddress'] == '10.9.8.7'
    assert saved['SendPort'] == '5151'
    assert saved['BrowserTitle'] == 'Portal'
    assert saved['UserID'] == 'lee'
    assert saved['AutoKill'] == '0'
    assert saved['Reflesh'] == '1'
    assert saved['NotifyLogOutType'] == '2'
    assert saved['ElpaseTime'] == '120000', 'an ElpaseTime below two minutes is raised'
    assert saved['UseMailNotify'] == '0', '"yes" is not a true value'


def test_an_empty_ip_address_suppresses_the_save(mirelo):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'IPAddress': '', 'UserID': 'untouched'})
    mirelo.start(payload(IPAddress=''))  # an empty first field delivers nothing
    before = mirelo.user_ini.read_bytes()
    mirelo.stop_all()
    assert mirelo.user_ini.read_bytes() == before


def test_an_uncreatable_settings_folder_leaves_the_client_running_on_defaults(mirelo):
    # A file where the folder should be: the folder cannot be made and nothing can be saved.
    mirelo.user_folder.parent.mkdir(parents=True, exist_ok=True)
    mirelo.user_folder.write_bytes(b'not a folder')
    client = mirelo.start(payload(UserID='nobody'))
    assert client.running
    assert client.wait_log(r'^UserKey: key1$')
    mirelo.stop_all()
    assert client.wait_exit(10) == 0
    assert mirelo.user_folder.read_bytes() == b'not a folder'
