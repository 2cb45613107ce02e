#!/usr/bin/python3
# How the dashboard page holds up under a long busy watch: the real executable fed synthetic
# traffic (many stations, some in emergency) on standard input while headless Chromium keeps
# the page open; prints the page's JavaScript heap after garbage collection, its DOM node
# count and the size of the state messages as the updates go by. A page that leaks grows
# with the number of updates; a sound one levels off.
#   dashboard_soak.py SIRENWATCH_EXECUTABLE [LINES]
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'tests', 'e2e'))
from dashboard_browser_test import TOKEN, browser, prepare  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402


def line(n):
    station = n % 800
    lat = 4500 + (station * 7) % 90 + (n % 13) / 100
    lon = 900 + (station * 11) % 60 + (n % 17) / 100
    comment = '!EMERGENCY! help <b>me</b>' if station % 40 == 0 else f'beacon {n}'
    return f'Q{station:03d}XY>APRS,WIDE1-1:!{lat:07.2f}N/{lon:08.2f}E>{comment}'


def main():
    executable = sys.argv[1]
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 40000
    root = tempfile.mkdtemp(prefix='sirenwatch-soak-')
    program, env, port = prepare(root, executable)
    watcher = subprocess.Popen([program, '--headless', '--stdin'], stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env,
                               cwd=root, text=True)
    driver = browser(root)
    try:
        url = f'http://127.0.0.1:{port}/'
        time.sleep(1)
        driver.get(url + '#token=' + TOKEN)
        # The first state drawn, whatever language the page speaks.
        WebDriverWait(driver, 20).until(lambda d: d.execute_script('return window.updates'))
        driver.execute_cdp_cmd('Performance.enable', {})
        print('lines  updates  heap_after_gc_kB  dom_nodes  state_kB')
        for start in range(0, total, total // 10):
            for chunk in range(start, start + total // 10, 200):
                watcher.stdin.write(''.join(line(n) + '\n' for n in range(chunk, chunk + 200)))
                watcher.stdin.flush()
                time.sleep(0.05)
            time.sleep(0.5)
            driver.execute_cdp_cmd('HeapProfiler.collectGarbage', {})
            metrics = {m['name']: m['value'] for m in
                       driver.execute_cdp_cmd('Performance.getMetrics', {})['metrics']}
            request = urllib.request.Request(url + 'api/state',
                                             headers={'X-Sirenwatch-Token': TOKEN})
            state = urllib.request.urlopen(request, timeout=10).read()
            updates = driver.execute_script('return window.updates || 0')
            print(f'{start + total // 10:6d} {updates:8d} {metrics["JSHeapUsedSize"] / 1024:17.0f} '
                  f'{metrics["Nodes"]:10.0f} {len(state) / 1024:9.1f}')
    finally:
        driver.quit()
        watcher.stdin.close()
        watcher.wait(timeout=30)
        shutil.rmtree(root, ignore_errors=True)


if __name__ == '__main__':
    main()
