#!/usr/bin/python3
# The dashboard in a real browser: the real executable, fed monitor lines on standard input,
# serves the page (asked for in the host's settings); headless Chromium opens it without the
# token and is told so, then with a wrong one and is told so, then types the right one and
# sees the base map and the quiet stations drawn, the map on home without waiting for an
# animation frame (none ever comes, as in a tab in the background); an emergency appears live
# with its card (comment, position, distance and bearing), sounds and is notified, is
# acknowledged, taken, handed over to another operator, released, taken and closed, leaving a
# card without buttons; a comment holding markup shows as text; the page speaks the add-on's
# language (Italian by default). Before that, the watcher refuses to serve beyond loopback without an
# access token. Screenshots go to the folder given.
#   dashboard_browser_test.py SIRENWATCH_EXECUTABLE SCREENSHOT_FOLDER
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
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


def wait_until_listening(port, watcher, seconds=60):
    """The watcher's dashboard answers once its start is done (slow under the sanitizers)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        assert watcher.poll() is None, f'the watcher ended: {watcher.stderr.read()}'
        with socket.socket() as s:
            if s.connect_ex(('127.0.0.1', port)) == 0:
                return
        time.sleep(0.1)
    raise AssertionError(f'the dashboard did not listen on port {port} within {seconds} s')


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
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    # As in a tab in the background, or a browser that draws no frames: no animation frame
    # ever comes, so the page must not wait for one to draw its map.
    driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument',
                           {'source': 'window.requestAnimationFrame = () => 0;'})
    return driver


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
        wait_until_listening(port, watcher)
        driver = browser(root)
        wait = WebDriverWait(driver, 20, poll_frequency=0.1)
        url = f'http://127.0.0.1:{port}/'
        link = lambda d: d.find_element(By.ID, 'link').text
        land = lambda d: d.execute_script(
            "return document.querySelectorAll('#map path[fill=\"#f2efe6\"]').length")
        driver.get(url)
        wait.until(lambda d: 'access token is missing' in link(d))
        assert land(driver) == 0, 'the base map without a token'

        def type_token(text):
            field = driver.find_element(By.ID, 'token')
            field.clear()
            field.send_keys(text, Keys.TAB)  # a change event

        type_token('not-the-token')
        wait.until(lambda d: 'access token is wrong' in link(d))
        type_token(TOKEN)  # typed in the page, not given in the address
        wait.until(lambda d: link(d) == 'pagina: in diretta')
        wait.until(lambda d: land(d) > 0)  # the base map loads with the typed token
        assert not driver.find_elements(By.CSS_SELECTOR, '.incident'), 'an incident before any'
        # The quiet stations and home are drawn where they are, not at the map's corner.
        shapes = driver.execute_script(
            "return [...document.querySelectorAll('#map path.leaflet-interactive')]"
            ".filter(p => !['#8a8f80', '#9c7ca8'].includes(p.getAttribute('stroke')))"
            ".map(p => p.getAttribute('d'))")  # not the base map's land and borders
        assert len(shapes) >= 3 and 'M0 0' not in shapes, shapes
        view = driver.execute_script('const c = map.getCenter(); return [c.lat, c.lng, map.getZoom()]')
        assert abs(view[0] - 45.504) < 0.01 and abs(view[1] - 9.206) < 0.01 and view[2] == 10, view
        labels = driver.execute_script(
            "return [...document.querySelectorAll('.map-label')].map(l => l.textContent)")
        assert 'Q1DIGI' in labels and 'Stazione N0CALL' in labels, labels
        assert driver.find_elements(By.CSS_SELECTOR, '.leaflet-control-scale-line'), 'no scale bar'

        # Sound and notifications, once the operator allowed them (the browser's notification
        # is recorded rather than shown).
        driver.execute_script(
            "window.told = []; window.Notification = function (title, options) {"
            " window.told.push(options.body); };"
            " window.Notification.permission = 'granted';"
            " window.Notification.requestPermission = async () => 'granted';")
        driver.find_element(By.ID, 'alerts').click()
        send(EMERGENCY)  # while the page is open
        card = lambda call: driver.find_element(By.CSS_SELECTOR, f'.incident[data-callsign="{call}"]')
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, '.incident[data-callsign="Q7MOB-9"]'))
        wait.until(lambda d: d.find_element(By.ID, 'alarm').text == 'ALLARME')
        wait.until(lambda d: d.execute_script('return window.told.length') == 2)
        told = driver.execute_script('return window.told')
        assert any(t.startswith('Q7MOB-9 ') and 'km' in t for t in told), told
        assert driver.execute_script('return window.sirens') == 2, 'not sounded once each'
        driver.save_screenshot(os.path.join(shots, 'dashboard-emergency.png'))

        # The card says what an operator acts on.
        mobile = card('Q7MOB-9')
        assert mobile.find_element(By.CLASS_NAME, 'comment').text == 'Car off the road, need help'
        where = mobile.find_element(By.CLASS_NAME, 'where').text
        assert where.startswith('posizione 45.') and ' km dalla stazione, azimut ' in where, where
        assert float(mobile.find_element(By.CLASS_NAME, 'comment').value_of_css_property(
            'font-size').rstrip('px')) >= 18
        mobile.find_element(By.CLASS_NAME, 'where').click()  # centres the map on it
        station = [float(mobile.get_attribute('data-lat')), float(mobile.get_attribute('data-lon'))]
        centre = lambda d: d.execute_script('const c = map.getCenter(); return [c.lat, c.lng]')
        wait.until(lambda d: abs(centre(d)[0] - station[0]) < 1e-3
                   and abs(centre(d)[1] - station[1]) < 1e-3)

        # Markup from the air is text: no element made from it, no script run.
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, '.incident[data-callsign="Q9XSS"]'))
        evidence = card('Q9XSS').find_element(By.CLASS_NAME, 'evidence').text
        assert '<img src=x id=injected' in evidence, evidence
        assert not driver.find_elements(By.ID, 'injected'), 'markup became an element'
        assert driver.execute_script('return window.pwned === undefined'), 'a script ran'

        visible = lambda call: [b.get_attribute('class') for b in
                                card(call).find_elements(By.TAG_NAME, 'button') if b.is_displayed()]
        assert visible('Q7MOB-9') == ['acknowledge', 'take', 'add-note', 'close'], visible('Q7MOB-9')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'acknowledge').click()
        wait.until(lambda d: d.find_element(By.ID, 'alarm').text == 'allarme spento')
        wait.until(lambda d: card('Q7MOB-9').get_attribute('data-state') == 'acknowledged')

        operator = driver.find_element(By.ID, 'operator')
        operator.send_keys('Anna <b>Rossi</b>')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'take').click()
        state = lambda call: card(call).find_element(By.CLASS_NAME, 'state').text
        wait.until(lambda d: state('Q7MOB-9') == 'IN GESTIONE DA ANNA <B>ROSSI</B>')
        driver.save_screenshot(os.path.join(shots, 'dashboard-taken.png'))

        # A hand-over: Bea cannot take or close Anna's incident (told in the page's language);
        # she takes it over with a note and releases it; Anna takes it again.
        operator.clear()
        operator.send_keys('Bea')
        note = lambda: card('Q7MOB-9').find_element(By.CLASS_NAME, 'note')
        assert visible('Q7MOB-9') == ['take-over', 'release', 'add-note', 'close'], visible('Q7MOB-9')
        note().send_keys('gone')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'close').click()
        wait.until(lambda d: 'prima subentra, con una nota' in d.find_element(By.ID, 'message').text)
        note().clear()
        note().send_keys("Anna's shift ended")
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'take-over').click()
        wait.until(lambda d: state('Q7MOB-9') == 'IN GESTIONE DA BEA')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'release').click()
        wait.until(lambda d: card('Q7MOB-9').get_attribute('data-state') == 'acknowledged')
        operator.clear()
        operator.send_keys('Anna')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'take').click()
        wait.until(lambda d: state('Q7MOB-9') == 'IN GESTIONE DA ANNA')

        note().send_keys('Ambulance on scene, all well')
        card('Q7MOB-9').find_element(By.CLASS_NAME, 'close').click()
        wait.until(lambda d: card('Q7MOB-9').get_attribute('data-state') == 'closed')
        notes = card('Q7MOB-9').find_element(By.CLASS_NAME, 'notes').text
        assert "Bea: Anna's shift ended" in notes and 'Ambulance on scene, all well' in notes, notes
        assert not visible('Q7MOB-9'), 'a closed card keeps buttons'
        assert not card('Q7MOB-9').find_elements(By.CLASS_NAME, 'note'), 'a closed card keeps its note box'
        circles = driver.execute_script(
            "return [...document.querySelectorAll('#map path.leaflet-interactive')]"
            ".filter(p => p.getAttribute('fill') === 'none' && p.getAttribute('stroke') !== '#9c7ca8')"
            ".length")
        assert circles == 1, f'{circles} circles for one open incident'
        driver.save_screenshot(os.path.join(shots, 'dashboard-closed.png'))

        # The token given in the address opens the page too, and leaves the address.
        driver.get('about:blank')
        driver.get(url + '#token=' + TOKEN)
        wait.until(lambda d: link(d) == 'pagina: in diretta')
        assert TOKEN not in driver.current_url, 'the token stays in the address bar'
        failures = [e for e in driver.get_log('browser') if e['source'] == 'javascript']
        assert not failures, failures
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
