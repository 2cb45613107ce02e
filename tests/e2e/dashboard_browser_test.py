#!/usr/bin/python3
# The dashboard in a real browser: the real executable, fed monitor lines on standard input,
# serves the page (asked for in the host's settings); headless Chromium opens it, sees an
# emergency appear live, acknowledges it, takes it and closes it, and shows a comment
# holding markup as text. Before that, the watcher refuses to serve beyond loopback without
# an access token. Screenshots go to the folder given.
#   dashboard_browser_test.py SIRENWATCH_EXECUTABLE SCREENSHOT_FOLDER
import os
import shutil
import socket
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

TOKEN = 'e2e-secret-token'
QUIET = ['Q1DIGI>APNU19,WIDE2-1:!4527.80N/00911.40E#PHG5130/Digipeater Milano sud',
         'Q1ALFA>APRS,Q1DIGI*,WIDE2-1:=4530.90N/00913.10E-Fixed station, QRV 145.500']
EMERGENCY = ['Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\\}Car off the road, need help',
             'Q9XSS>APRS,WIDE1-1:!4531.00N/00912.00E>!EMERGENCY! '
             '<img src=x id=injected onerror="window.pwned=1"><script>window.pwned=1</script>']


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def prepare(root, executable, token=TOKEN):
    program = os.path.join(root, 'bin')
    os.makedirs(program)
    source = os.path.dirname(os.path.abspath(executable))
    for name in ('sirenwatch', 'lowtemp.wav', 'basemap.txt', 'demo.tnc2'):
        shutil.copy(os.path.join(source, name), program)
    shutil.copytree(os.path.join(source, 'dashboard'), os.path.join(program, 'dashboard'))
    host = os.path.join(root, 'data', 'sirenwatch', 'host')
    os.makedirs(host)
    port = free_port()
    with open(os.path.join(host, 'Uiview32.INI'), 'w') as ini:
        ini.write('[Station]\nCallsign=N0CALL\nLatitude=4530.25N\nLongitude=00912.34E\n'
                  '[SetUp]\nPROGRAM_VERSION=2.03\n[Sirenwatch Host]\n'
                  f'Dashboard={port}\nDashboardToken={token}\n')
    runtime = os.path.join(root, 'runtime')
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, HOME=root, XDG_CONFIG_HOME=os.path.join(root, 'config'),
               XDG_DATA_HOME=os.path.join(root, 'data'), XDG_RUNTIME_DIR=runtime,
               QT_QPA_PLATFORM='offscreen', LC_ALL='C.UTF-8')
    for name in ('DISPLAY', 'WAYLAND_DISPLAY', 'DBUS_SESSION_BUS_ADDRESS'):
        env.pop(name, None)
    return os.path.join(program, 'sirenwatch'), env, port


def browser(root):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic',
                 '--no-first-run', '--disable-background-networking',
                 '--disable-component-update', '--disable-sync', '--window-size=1280,800',
                 '--user-data-dir=' + os.path.join(root, 'chromium')):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def refused_beyond_loopback_without_token(executable):
    root = tempfile.mkdtemp(prefix='sirenwatch-dashboard-')
    try:
        program, env, port = prepare(root, executable, token='')
        args = [program, '--headless', '--stdin', '--dashboard', f'0.0.0.0:{port}']
        run = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                             env=env, cwd=root, timeout=30)
        check = subprocess.run([program, '--check', '--dashboard', f'0.0.0.0:{port}'],
                               capture_output=True, text=True, env=env, cwd=root, timeout=30)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    # The watch itself runs (to the end of its empty input); only the dashboard stays shut.
    assert run.returncode == 0, f'the watch did not run: {run.returncode} {run.stderr}'
    assert 'only with DashboardToken set' in run.stderr, run.stderr
    assert 'the dashboard is at' not in run.stderr, run.stderr
    assert check.returncode == 0, f'--check refused the watch: {check.stdout}'
    assert 'warning: --dashboard: the dashboard listens beyond this machine' in check.stderr, \
        check.stderr


def main():
    executable, shots = sys.argv[1], sys.argv[2]
    refused_beyond_loopback_without_token(executable)
    os.makedirs(shots, exist_ok=True)
    root = tempfile.mkdtemp(prefix='sirenwatch-dashboard-')
    program, env, port = prepare(root, executable)
    watcher = subprocess.Popen([program, '--headless', '--stdin'], stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env,
                               cwd=root, text=True)
    driver = None
    try:
        send = lambda lines: (watcher.stdin.write(''.join(l + '\n' for l in lines)),
                              watcher.stdin.flush())
        send(QUIET)
        driver = browser(root)
        wait = WebDriverWait(driver, 20, poll_frequency=0.1)
        url = f'http://127.0.0.1:{port}/'
        wait.until(lambda d: d.get(url + '#token=' + TOKEN) or True)
        wait.until(lambda d: d.find_element(By.ID, 'link').text == 'page: live')
        assert not driver.find_elements(By.CSS_SELECTOR, '.incident'), 'an incident before any'
        assert TOKEN not in driver.current_url, 'the token stays in the address bar'

        send(EMERGENCY)  # while the page is open
        card = lambda call: driver.find_element(By.CSS_SELECTOR, f'.incident[data-callsign="{call}"]')
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, '.incident[data-callsign="Q7MOB-9"]'))
        wait.until(lambda d: d.find_element(By.ID, 'alarm').text == 'ALARM')
        driver.save_screenshot(os.path.join(shots, 'dashboard-emergency.png'))

        # Markup from the air is text: no element made from it, no script run.
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, '.incident[data-callsign="Q9XSS"]'))
        evidence = card('Q9XSS').find_element(By.CLASS_NAME, 'evidence').text
        assert '<img src=x id=injected' in evidence, evidence
        assert not driver.find_elements(By.ID, 'injected'), 'markup became an element'
        assert driver.execute_script('return window.pwned === undefined'), 'a script ran'

        card('Q7MOB-9').find_element(By.CLASS_NAME, 'acknowledge').click()
        wait.until(lambda d: d.find_element(By.ID, 'alarm').text == 'alarm off')
        wait.until(lambda d: card('Q7MOB-9').get_attribute('data-state') == 'acknowledged')

        driver.find_element(By.ID, 'operator').send_keys('Anna <b>Rossi</b>')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'take').click()
        wait.until(lambda d: card('Q7MOB-9').find_element(By.CLASS_NAME, 'state').text
                   == 'BEING HANDLED BY ANNA <B>ROSSI</B>')
        driver.save_screenshot(os.path.join(shots, 'dashboard-taken.png'))

        card('Q7MOB-9').find_element(By.CLASS_NAME, 'note').send_keys('Ambulance on scene, all well')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'close').click()
        wait.until(lambda d: card('Q7MOB-9').get_attribute('data-state') == 'closed')
        notes = card('Q7MOB-9').find_element(By.CLASS_NAME, 'notes').text
        assert 'Ambulance on scene, all well' in notes, notes
        driver.save_screenshot(os.path.join(shots, 'dashboard-closed.png'))
    finally:
        if driver:
            driver.quit()
        watcher.stdin.close()  # the end of standard input ends a headless watch
        try:
            watcher.wait(timeout=15)
        except subprocess.TimeoutExpired:
            watcher.kill()
            watcher.wait()
        errors = watcher.stderr.read()
        shutil.rmtree(root, ignore_errors=True)
    assert TOKEN not in errors, 'the token was written to the log'
    assert 'the dashboard is at http://127.0.0.1:' in errors, errors
    assert watcher.returncode == 0, f'sirenwatch ended with {watcher.returncode}: {errors}'
    print('dashboard browser test passed; screenshots in', shots)


if __name__ == '__main__':
    main()
