#!/usr/bin/python3
"""page_watch.py - look at the overlay page the way an OBS browser source does

SYNOPSIS
    /usr/bin/python3 page_watch.py watch URL OUT [--seconds S] [--pages N]
    /usr/bin/python3 page_watch.py screenshot URL OUT.png [--width W] [--height H]
                                   [--wait-ms MS]
    /usr/bin/python3 page_watch.py eval URL EXPRESSION

DESCRIPTION
    Starts a private headless /usr/bin/chromium (fresh profile in a temp dir,
    removed again at exit) and drives it over the DevTools protocol.  URL
    must be on 127.0.0.1.  Needs Debian's python3-websockets, hence
    /usr/bin/python3.

    watch URL OUT
        Opens URL in N tabs (default 1) and appends one line to OUT for the
        state of #caption as soon as each page load has parsed the document
        (DOMContentLoaded), every time the page's EventSource (re)opens, and
        on every change of the element:

            <monotonic_us> <tab> <class> <text_hex> [<cover>]

        monotonic_us  CLOCK_MONOTONIC_RAW in microseconds, read when the
                      change reaches this process.  Wine's
                      QueryPerformanceCounter counts on the same clock, so
                      the plug-in's own timestamps compare directly.
        tab           tab index, from 0
        class         className of #caption with whitespace turned into
                      '.', e.g. caption.playing; '-' when empty or when the
                      page has no #caption
        text_hex      textContent as UTF-8 hex; '-' when empty
        cover         only on a page with a #cover image: its natural size
                      as WxH once loaded and shown, '-' while hidden or
                      loading

        OUT.ready (empty) appears once every tab has loaded the page and is
        being watched.  Runs for S seconds (default 60, counted from start)
        or until OUT.stop exists.  While the server is not up the page is
        retried every 500 ms and nothing is logged for the failed loads.
        Leftover OUT.ready and OUT.stop are removed at start.

    screenshot URL OUT.png
        Loads URL in a W x H viewport (default 1280 x 200) on a dark grey
        background, waits MS ms (default 1500) and saves a PNG.

    eval URL EXPRESSION
        Loads URL, waits for document.readyState "complete", evaluates
        EXPRESSION (promises are awaited) and prints the value as JSON.

EXIT STATUS
    0 on success, 1 with one line on stderr otherwise.  screenshot and eval
    give up after 30 s.
"""

import argparse
import asyncio
import base64
import ctypes
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

import websockets

CHROMIUM = '/usr/bin/chromium'
BINDING = 'tavrikCaption'
ONE_SHOT_TIMEOUT = 30


class Failure(Exception):
    pass


def monotonic_us():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) // 1000


# The whole document is observed, not just #caption, because the page may
# swap the element itself out; one line per observer callback keeps a
# text-and-class update made in one go as one line.
INSTALL = """
() => {
  if (location.protocol === 'chrome-error:') return 'error';
  if (location.href === 'about:blank' || window !== window.top) return 'skip';
  if (window.__tavrikReport) return 'again';
  window.__tavrikReport = () => {
    const el = document.getElementById('caption');
    const img = document.getElementById('cover');
    const p = !img ? undefined : img.hidden || !img.complete || !img.naturalWidth ? '-'
                               : img.naturalWidth + 'x' + img.naturalHeight;
    %(binding)s(JSON.stringify(el ? {c: el.className, t: el.textContent, p} : null));
  };
  // An image's load fires on the image alone: caught on its way down.
  document.addEventListener('load', e => {
    if (e.target.id === 'cover') window.__tavrikReport();
  }, true);
  let last = document.getElementById('caption');
  new MutationObserver(list => {
    const el = document.getElementById('caption');
    if (el !== last || (el && list.some(m => el.contains(m.target)))) {
      last = el;
      window.__tavrikReport();
    }
  }).observe(document, {subtree: true, childList: true, characterData: true,
                        attributes: true, attributeFilter: ['class', 'src', 'hidden']});
  window.__tavrikReport();
  return 'installed';
}
""" % {'binding': BINDING}

# Goes in before any page script.  Waiting for the load event alone leaves a
# gap in which the first SSE captions can land unseen, so the observer is
# already put in at DOMContentLoaded; the load-time evaluate then only
# confirms it (or installs it if this missed).  The EventSource hook makes a
# reconnect after a server restart show up even when the caption is unchanged.
HOOK = """
document.addEventListener('DOMContentLoaded', %(install)s);
(() => {
  const ES = window.EventSource;
  if (!ES) return;
  window.EventSource = class extends ES {
    constructor(...args) {
      super(...args);
      this.addEventListener('open', () => {
        if (window.__tavrikReport) window.__tavrikReport();
      });
    }
  };
})();
""" % {'install': INSTALL}


def die_with_parent():
    # Nothing in this script runs if it is SIGKILLed; have the kernel take
    # chromium down too rather than leave it running on a 2-core box.
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Chromium:
    def __init__(self):
        self.proc = None
        self.dir = tempfile.mkdtemp(prefix='page_watch.')
        try:
            self.log = os.path.join(self.dir, 'stderr.log')
            with open(self.log, 'wb') as log:
                self.proc = subprocess.Popen(
                    [CHROMIUM, '--headless=new', '--no-sandbox', '--disable-gpu',
                     '--disable-quic', '--no-first-run',
                     '--disable-background-networking',
                     '--disable-component-update', '--disable-sync',
                     '--remote-debugging-port=0',
                     '--user-data-dir=' + os.path.join(self.dir, 'profile'),
                     'about:blank'],
                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                    stderr=log, start_new_session=True,
                    preexec_fn=die_with_parent)
        except BaseException:
            self.close()
            raise

    def ws_url(self, timeout=20):
        # DevToolsActivePort is written once the port is really listening,
        # which is easier to trust than scraping a noisy stderr.
        path = os.path.join(self.dir, 'profile', 'DevToolsActivePort')
        deadline = time.monotonic() + timeout
        while True:
            if self.proc.poll() is not None:
                raise Failure('chromium exited early: ' + self.last_log_line())
            try:
                with open(path) as f:
                    port, _, rest = f.read().partition('\n')
                browser = rest.strip()
                if port.strip().isdigit() and browser.startswith('/devtools/browser/'):
                    return 'ws://127.0.0.1:%s%s' % (port.strip(), browser)
            except FileNotFoundError:
                pass
            if time.monotonic() > deadline:
                raise Failure('chromium did not open its DevTools port')
            time.sleep(0.05)

    def last_log_line(self):
        try:
            with open(self.log, errors='replace') as f:
                lines = [l.strip() for l in f if l.strip()]
            return lines[-1] if lines else '(no output)'
        except OSError:
            return '(no output)'

    def close(self):
        if self.proc:
            # The whole group, so renderers and the zygote go as well.
            try:
                os.killpg(self.proc.pid, signal.SIGTERM)
                self.proc.wait(3)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                pass
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
            self.proc = None
        shutil.rmtree(self.dir, ignore_errors=True)


class DevTools:
    """One browser-level socket; tabs are flattened sessions on it."""

    def __init__(self, ws):
        self.ws = ws
        self.seq = 0
        self.pending = {}
        self.listeners = {}
        self.reader = asyncio.ensure_future(self.read())

    async def read(self):
        try:
            async for raw in self.ws:
                # Stamp before parsing: this is the arrival time the log is about.
                now = monotonic_us()
                msg = json.loads(raw)
                fut = self.pending.pop(msg.get('id'), None)
                if fut is not None:
                    if fut.done():
                        continue
                    if 'error' in msg:
                        fut.set_exception(Failure(msg['error'].get('message', 'DevTools error')))
                    else:
                        fut.set_result(msg.get('result', {}))
                elif 'method' in msg:
                    listener = self.listeners.get(msg.get('sessionId'))
                    if listener:
                        listener(msg['method'], msg.get('params', {}), now)
        finally:
            for fut in self.pending.values():
                if not fut.done():
                    fut.set_exception(Failure('lost the DevTools connection'))

    async def send(self, method, params=None, session=None, timeout=10):
        if self.reader.done():
            raise Failure('lost the DevTools connection')
        self.seq += 1
        seq = self.seq
        msg = {'id': seq, 'method': method, 'params': params or {}}
        if session:
            msg['sessionId'] = session
        fut = asyncio.get_running_loop().create_future()
        self.pending[seq] = fut
        try:
            await self.ws.send(json.dumps(msg))
            return await asyncio.wait_for(fut, timeout)
        except asyncio.TimeoutError:
            raise Failure(method + ': chromium did not answer') from None
        finally:
            self.pending.pop(seq, None)

    async def open_tab(self):
        target = await self.send('Target.createTarget', {'url': 'about:blank'})
        attached = await self.send('Target.attachToTarget',
                                   {'targetId': target['targetId'], 'flatten': True})
        return attached['sessionId']

    async def evaluate(self, session, expression, await_promise=False):
        r = await self.send('Runtime.evaluate',
                            {'expression': expression, 'returnByValue': True,
                             'awaitPromise': await_promise}, session)
        if 'exceptionDetails' in r:
            d = r['exceptionDetails']
            text = d.get('exception', {}).get('description') or d.get('text', 'exception')
            raise Failure(text.strip().splitlines()[0])
        return r['result'].get('value')

    async def load(self, session, url):
        r = await self.send('Page.navigate', {'url': url}, session, timeout=ONE_SHOT_TIMEOUT)
        if r.get('errorText'):
            raise Failure('cannot load %s: %s' % (url, r['errorText']))
        while True:
            try:
                if await self.evaluate(session, 'document.readyState') == 'complete':
                    return
            except Failure:
                pass  # caught between documents; ask again
            await asyncio.sleep(0.05)


def log_line(tab, payload, now):
    state = json.loads(payload)
    if state:
        cls = '.'.join(state['c'].split()) or '-'
        text = state['t'].encode('utf-8', 'surrogatepass').hex() or '-'
        if state.get('p'):
            text += ' ' + state['p']
    else:
        cls = text = '-'
    return '%d %d %s %s\n' % (now, tab, cls, text)


async def watch_tab(dt, tab, url, write, ready):
    session = await dt.open_tab()
    loads = asyncio.Queue()

    def on_event(method, params, now):
        if method == 'Runtime.bindingCalled' and params.get('name') == BINDING:
            write(log_line(tab, params['payload'], now))
        elif method == 'Page.loadEventFired':
            loads.put_nowait(now)

    dt.listeners[session] = on_event
    await dt.send('Page.enable', session=session)
    await dt.send('Runtime.enable', session=session)
    await dt.send('Runtime.addBinding', {'name': BINDING}, session)
    await dt.send('Page.addScriptToEvaluateOnNewDocument', {'source': HOOK}, session)

    navigate = True
    while True:
        if navigate:
            # Loads queued from about:blank or an old error page say nothing
            # about the navigation we are about to make.
            while not loads.empty():
                loads.get_nowait()
            try:
                r = await dt.send('Page.navigate', {'url': url}, session)
            except Failure:
                r = {'errorText': 'no answer'}  # a server that accepts but stalls
            if r.get('errorText'):
                await asyncio.sleep(0.5)
                continue
            navigate = False
        await loads.get()
        try:
            state = await dt.evaluate(session, '(%s)()' % INSTALL)
        except Failure:
            continue  # document replaced under us; its own load event follows
        if state == 'error':
            # The page reloaded itself while the server was away.
            await asyncio.sleep(0.5)
            navigate = True
        elif state in ('installed', 'again'):
            ready(tab)


async def watch(dt, args, deadline):
    stop_file = args.out + '.stop'
    ready_file = args.out + '.ready'
    for stale in (stop_file, ready_file):
        try:
            os.unlink(stale)
        except FileNotFoundError:
            pass
    out = open(args.out, 'a', encoding='ascii')
    seen = set()

    def write(line):
        out.write(line)
        out.flush()

    def ready(tab):
        if tab in seen:
            return
        seen.add(tab)
        if len(seen) == args.pages:
            open(ready_file, 'w').close()

    tasks = [asyncio.ensure_future(watch_tab(dt, i, args.url, write, ready))
             for i in range(args.pages)]
    try:
        while time.monotonic() < deadline and not os.path.exists(stop_file):
            if dt.reader.done():
                raise Failure('lost the DevTools connection')
            for t in tasks:
                if t.done():
                    t.result()  # a tab that stopped early has failed; say why
            await asyncio.sleep(0.05)
    finally:
        for t in tasks:
            t.cancel()
        out.close()


async def screenshot(dt, args):
    session = await dt.open_tab()
    await dt.send('Page.enable', session=session)
    await dt.send('Emulation.setDeviceMetricsOverride',
                  {'width': args.width, 'height': args.height,
                   'deviceScaleFactor': 1, 'mobile': False}, session)
    # The overlay is transparent on purpose; grey keeps white text readable
    # without hiding that.
    await dt.send('Emulation.setDefaultBackgroundColorOverride',
                  {'color': {'r': 40, 'g': 40, 'b': 40, 'a': 1}}, session)
    await dt.load(session, args.url)
    await asyncio.sleep(args.wait_ms / 1000)
    r = await dt.send('Page.captureScreenshot', {'format': 'png'}, session)
    with open(args.png, 'wb') as f:
        f.write(base64.b64decode(r['data']))


async def evaluate(dt, args):
    session = await dt.open_tab()
    await dt.load(session, args.url)
    value = await dt.evaluate(session, args.expression, await_promise=True)
    print(json.dumps(value, ensure_ascii=False))


async def run(chromium, args, deadline):
    url = await asyncio.get_running_loop().run_in_executor(None, chromium.ws_url)
    async with websockets.connect(url, max_size=None, ping_interval=None,
                                  compression=None, open_timeout=10) as ws:
        dt = DevTools(ws)
        try:
            if args.cmd == 'watch':
                await watch(dt, args, deadline)
            else:
                job = screenshot(dt, args) if args.cmd == 'screenshot' else evaluate(dt, args)
                try:
                    await asyncio.wait_for(job, max(0, deadline - time.monotonic()))
                except asyncio.TimeoutError:
                    raise Failure('gave up after %d s' % ONE_SHOT_TIMEOUT) from None
        finally:
            dt.reader.cancel()


class Parser(argparse.ArgumentParser):
    # Test scripts read only the exit code and the first stderr line, so a
    # usage mistake must look like any other failure.
    def error(self, message):
        self.exit(1, '%s: %s\n' % (self.prog, message))


def parse_args():
    p = Parser(description='Watch the overlay page in headless Chromium.')
    sub = p.add_subparsers(dest='cmd', required=True, parser_class=Parser)
    w = sub.add_parser('watch')
    w.add_argument('url')
    w.add_argument('out')
    w.add_argument('--seconds', type=float, default=60)
    w.add_argument('--pages', type=int, default=1)
    s = sub.add_parser('screenshot')
    s.add_argument('url')
    s.add_argument('png')
    s.add_argument('--width', type=int, default=1280)
    s.add_argument('--height', type=int, default=200)
    s.add_argument('--wait-ms', type=int, default=1500)
    e = sub.add_parser('eval')
    e.add_argument('url')
    e.add_argument('expression')
    args = p.parse_args()
    if urllib.parse.urlsplit(args.url).hostname != '127.0.0.1':
        p.error('URL must be on 127.0.0.1')
    if args.cmd == 'watch' and args.pages < 1:
        p.error('--pages must be at least 1')
    return args


def on_sigterm(signum, frame):
    # SystemExit rather than a plain exception: asyncio lets it out of the
    # loop instead of parking it in whichever task happened to be running.
    print('page_watch: terminated', file=sys.stderr)
    raise SystemExit(1)


def main():
    args = parse_args()
    limit = args.seconds if args.cmd == 'watch' else ONE_SHOT_TIMEOUT
    deadline = time.monotonic() + limit
    signal.signal(signal.SIGTERM, on_sigterm)
    chromium = None
    try:
        chromium = Chromium()
        asyncio.run(run(chromium, args, deadline))
    except Failure as e:
        print('page_watch: %s' % e, file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print('page_watch: interrupted', file=sys.stderr)
        return 1
    except Exception as e:
        print('page_watch: %s: %s' % (type(e).__name__, str(e).strip().replace('\n', ' ')),
              file=sys.stderr)
        return 1
    finally:
        if chromium:
            chromium.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
