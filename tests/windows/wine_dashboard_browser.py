#!/usr/bin/python3
# The dashboard served by Sirenwatch.exe under Wine (its own built-in host, monitor lines on
# standard input), opened by headless Chromium on Linux: the emergency appears with its card,
# is acknowledged, taken and closed. The browser is the Linux end-to-end test's own.
#   wine_dashboard_browser.py PROGRAM_FOLDER SCREENSHOT_FOLDER
# PROGRAM_FOLDER holds Sirenwatch.exe and its files, in the Wine prefix of $WINEPREFIX.
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))
from dashboard_browser_test import EMERGENCY, browser, free_port  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

TOKEN = 'wine-secret-token'


def windows_path(path):
    return 'Z:' + path.replace('/', '\\')


def prepare(folder):
    """The host's settings beside the program, with the dashboard and its token."""
    host = os.path.join(folder, 'host')
    os.makedirs(host, exist_ok=True)
    port = free_port()
    with open(os.path.join(folder, 'Peak Systems.ini'), 'w', newline='\r\n') as store:
        store.write(f'[UI-View32]\nProgram Folder={windows_path(host)}\\\n')
    with open(os.path.join(host, 'Uiview32.INI'), 'w', newline='\r\n') as ini:
        ini.write('[Station]\nCallsign=N0CALL\nLatitude=4530.25N\nLongitude=00912.34E\n'
                  '[SetUp]\nPROGRAM_VERSION=2.03\n[Sirenwatch Host]\n'
                  f'Dashboard={port}\nDashboardToken={TOKEN}\n')
    return port


def wait_until_listening(port, watcher, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        assert watcher.poll() is None, f'Sirenwatch.exe ended: {watcher.stderr.read()}'
        with socket.socket() as s:
            if s.connect_ex(('127.0.0.1', port)) == 0:
                return
        time.sleep(0.1)
    raise AssertionError(f'the dashboard did not listen on port {port} within {seconds} s')


def main():
    folder, shots = sys.argv[1], sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    port = prepare(folder)
    watcher = subprocess.Popen(['wine', os.path.join(folder, 'Sirenwatch.exe'), '--headless',
                                '--stdin'], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    driver = None
    try:
        wait_until_listening(port, watcher)
        driver = browser(folder)
        wait = WebDriverWait(driver, 30, poll_frequency=0.1)
        driver.get(f'http://127.0.0.1:{port}/#token={TOKEN}')
        wait.until(lambda d: d.find_element(By.ID, 'link').text == 'pagina: in diretta')
        watcher.stdin.write(EMERGENCY[0] + '\r\n')
        watcher.stdin.flush()
        card = lambda: driver.find_element(By.CSS_SELECTOR, '.incident[data-callsign="Q7MOB-9"]')
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, '.incident[data-callsign="Q7MOB-9"]'))
        assert card().find_element(By.CLASS_NAME, 'comment').text == 'Car off the road, need help'
        driver.save_screenshot(os.path.join(shots, 'wine-dashboard-emergency.png'))
        card().find_element(By.CLASS_NAME, 'acknowledge').click()
        wait.until(lambda d: card().get_attribute('data-state') == 'acknowledged')
        driver.find_element(By.ID, 'operator').send_keys('Anna')
        card().find_element(By.CLASS_NAME, 'take').click()
        wait.until(lambda d: card().find_element(By.CLASS_NAME, 'state').text
                   == 'IN GESTIONE DA ANNA')
        card().find_element(By.CLASS_NAME, 'note').send_keys('Ambulance on scene')
        card().find_element(By.CLASS_NAME, 'close').click()
        wait.until(lambda d: card().get_attribute('data-state') == 'closed')
        driver.save_screenshot(os.path.join(shots, 'wine-dashboard-closed.png'))
    finally:
        if driver:
            driver.quit()
        watcher.stdin.close()  # the end of standard input ends a headless watch
        try:
            watcher.wait(timeout=30)
        except subprocess.TimeoutExpired:
            watcher.kill()
            watcher.wait()
    errors = watcher.stderr.read()
    assert 'the dashboard is at http://127.0.0.1:' in errors, errors
    assert TOKEN not in errors, 'the token was written to the log'
    assert watcher.returncode == 0, f'Sirenwatch.exe ended with {watcher.returncode}: {errors}'
    print('the dashboard of Sirenwatch.exe under Wine was used in Chromium')


if __name__ == '__main__':
    main()
