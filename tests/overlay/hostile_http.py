#!/usr/bin/python3
"""hostile_http.py - a badly behaved client for the overlay HTTP server

SYNOPSIS
    /usr/bin/python3 hostile_http.py --port P CASE [ARGS] [--out FILE]

DESCRIPTION
    Talks raw HTTP/1.1 to 127.0.0.1:P (never anywhere else) and reports what
    the server did.  Requests carry "Connection: close" unless the case needs
    the connection kept open.  Every socket operation times out after 5 s.

    CASE is one of

    ok              GET / and GET /caption.json; the JSON body is printed
                    re-serialised on one line (body= verbatim if not JSON).
    dotdot          GET /../gen_tavrik.ini
    encoded-dotdot  GET /%2e%2e/gen_tavrik.ini and GET /%2e%2e/
    wrong-host      GET / with Host: evil.example:P, then Host: 127.0.0.1:P+1
    post            POST / with a small body
    big-header      GET with one 1 MiB "X-Big: aaa..." header line, pushed
                    as fast as the server takes it (20 s at most).
                    accepted= counts bytes the kernel took from us, which
                    can be well ahead of what the server has read.
    hold [N [S]]    open N connections (default 100) that send only
                    "GET / HTTP/1.1" and the Host line, hold them S seconds
                    (default 10) or until FILE.stop exists, then close.
    never-read [S]  open 4 connections to /events with a tiny receive
                    buffer, never read for S seconds (default 10) or until
                    FILE.stop exists, then see what piled up and close.

OUTPUT
    One line per finding on stdout, also appended to FILE with --out:

        case=dotdot path=/../gen_tavrik.ini status=404 bytes=0

    status= is the HTTP code, or what happened instead: closed (server hung
    up without answering), reset, timeout, refused, connect-timeout.
    bytes= is the length of the response body.

    hold:        case=hold opened= refused= connect_timeout=
                 closed_by_server= answered= still_open=
    never-read:  case=never-read conn= status= buffered= server_closed=yes|no

EXIT STATUS
    0 when the tool did its job, whatever the server answered; 1 (one line
    on stderr) when the tool itself failed.
"""

import argparse
import errno
import json
import os
import resource
import selectors
import socket
import sys
import time

HOST = '127.0.0.1'
TIMEOUT = 5.0
MIB = 1024 * 1024


class Parser(argparse.ArgumentParser):
    # Test scripts read only the exit code and the first stderr line, so a
    # usage mistake must look like any other failure.
    def error(self, message):
        self.exit(1, '%s: %s\n' % (self.prog, message))


class Report:
    def __init__(self, case, out):
        self.case = case
        self.out = out

    def __call__(self, **fields):
        line = ' '.join(['case=' + self.case] + ['%s=%s' % kv for kv in fields.items()])
        print(line, flush=True)
        if self.out:
            with open(self.out, 'a', encoding='utf-8') as f:
                f.write(line + '\n')


def request(port, method, path, host=None, body=b'', extra=''):
    head = '%s %s HTTP/1.1\r\nHost: %s\r\n%sConnection: close\r\n' % (
        method, path, host or '%s:%d' % (HOST, port), extra)
    if body or method == 'POST':
        head += 'Content-Type: text/plain\r\nContent-Length: %d\r\n' % len(body)
    return (head + '\r\n').encode('latin-1') + body


def status_of(data):
    parts = data.split(b'\r\n', 1)[0].split()
    if len(parts) >= 2 and parts[0].startswith(b'HTTP/') and parts[1].isdigit():
        return parts[1].decode()
    return 'garbled'


def dechunk(body):
    out = b''
    while body:
        size_line, _, body = body.partition(b'\r\n')
        try:
            size = int(size_line.split(b';')[0], 16)
        except ValueError:
            break
        if size == 0:
            break
        out += body[:size]
        body = body[size + 2:]
    return out


def split_response(data):
    head, _, body = data.partition(b'\r\n\r\n')
    headers = {}
    for line in head.split(b'\r\n')[1:]:
        name, _, value = line.partition(b':')
        headers[name.strip().lower().decode('latin-1')] = value.strip().decode('latin-1')
    if 'chunked' in headers.get('transfer-encoding', '').lower():
        body = dechunk(body)
    elif headers.get('content-length', '').isdigit():
        body = body[:int(headers['content-length'])]
    return body


def exchange(port, data, limit=10.0):
    """Send one request and read until the server closes; (status, body)."""
    deadline = time.monotonic() + limit
    try:
        s = socket.create_connection((HOST, port), timeout=TIMEOUT)
    except ConnectionRefusedError:
        return 'refused', b''
    except socket.timeout:
        return 'connect-timeout', b''
    got, trouble = b'', None
    with s:
        try:
            s.sendall(data)
        except OSError:
            pass  # the server may have answered and hung up early; read on
        while time.monotonic() < deadline:
            try:
                chunk = s.recv(65536)
            except socket.timeout:
                trouble = 'timeout'
                break
            except OSError:
                trouble = 'reset'
                break
            if not chunk:
                break
            got += chunk
        else:
            trouble = 'timeout'
    if got:
        return status_of(got), split_response(got)
    return trouble or 'closed', b''


def case_ok(port, report):
    status, body = exchange(port, request(port, 'GET', '/'))
    report(path='/', status=status, bytes=len(body))
    status, body = exchange(port, request(port, 'GET', '/caption.json'))
    text = body.decode('utf-8', 'replace')
    try:
        shown = {'json': json.dumps(json.loads(text), ensure_ascii=False, separators=(',', ':'))}
    except ValueError:
        shown = {'body': repr(text)[1:-1]}
    report(path='/caption.json', status=status, bytes=len(body), **shown)


def case_paths(port, report, paths):
    for path in paths:
        status, body = exchange(port, request(port, 'GET', path))
        report(path=path, status=status, bytes=len(body))


def case_wrong_host(port, report):
    for host in ('evil.example:%d' % port, '%s:%d' % (HOST, port + 1)):
        status, body = exchange(port, request(port, 'GET', '/', host=host))
        report(host=host, status=status, bytes=len(body))


def case_post(port, report):
    status, body = exchange(port, request(port, 'POST', '/', body=b'caption=hello'))
    report(method='POST', status=status, bytes=len(body))


def case_big_header(port, report):
    line = b'X-Big: '
    data = request(port, 'GET', '/', extra=(line + b'a' * (MIB - len(line))).decode() + '\r\n')
    deadline = time.monotonic() + 20
    try:
        s = socket.create_connection((HOST, port), timeout=TIMEOUT)
    except ConnectionRefusedError:
        report(status='refused', accepted=0)
        return
    except socket.timeout:
        report(status='connect-timeout', accepted=0)
        return
    s.setblocking(False)
    sent, got, how = 0, b'', None
    sel = selectors.DefaultSelector()
    sel.register(s, selectors.EVENT_READ | selectors.EVENT_WRITE)
    quiet_since = time.monotonic()
    with s, sel:
        # Reading while writing: a server that answers 431 halfway through
        # must be heard before its close turns into a reset.
        while how is None:
            now = time.monotonic()
            if now > deadline or now - quiet_since > TIMEOUT:
                how = 'timeout'
                break
            for _, events in sel.select(0.1):
                if events & selectors.EVENT_READ:
                    try:
                        chunk = s.recv(65536)
                    except BlockingIOError:
                        chunk = None
                    except OSError:
                        how = 'reset'
                        break
                    if chunk == b'':
                        how = 'eof'
                        break
                    if chunk:
                        got += chunk
                        quiet_since = time.monotonic()
                if events & selectors.EVENT_WRITE and sent < len(data):
                    try:
                        n = s.send(data[sent:sent + 65536])
                    except BlockingIOError:
                        n = 0
                    except OSError:
                        how = 'reset'
                        break
                    if n:
                        sent += n
                        quiet_since = time.monotonic()
                    if sent == len(data):
                        sel.modify(s, selectors.EVENT_READ)
    if got:
        report(status=status_of(got), accepted=sent, of=len(data), how=how)
    else:
        report(status='closed' if how in ('eof', 'reset') else how,
               accepted=sent, of=len(data), how=how)


def stop_requested(out):
    return bool(out) and os.path.exists(out + '.stop')


def wait_or_stop(seconds, out):
    end = time.monotonic() + seconds
    while time.monotonic() < end and not stop_requested(out):
        time.sleep(0.05)


def connect_many(port, count, rcvbuf=None):
    """Non-blocking connects, so a server with a full backlog costs 5 s in
    all rather than 5 s per connection.  Returns (sockets, refused, timed out)."""
    sel = selectors.DefaultSelector()
    refused = 0
    for _ in range(count):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        if rcvbuf:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, rcvbuf)
        s.setblocking(False)
        err = s.connect_ex((HOST, port))
        if err in (0, errno.EINPROGRESS):
            sel.register(s, selectors.EVENT_WRITE)
        else:
            s.close()
            refused += 1
    done = []
    deadline = time.monotonic() + TIMEOUT
    while sel.get_map() and time.monotonic() < deadline:
        for key, _ in sel.select(deadline - time.monotonic()):
            s = key.fileobj
            sel.unregister(s)
            if s.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR):
                s.close()
                refused += 1
            else:
                done.append(s)
    late = list(sel.get_map().values())
    for key in late:
        key.fileobj.close()
    sel.close()
    return done, refused, len(late)


def raise_fd_limit(need):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft != resource.RLIM_INFINITY and soft < need + 64:
        want = need + 64 if hard == resource.RLIM_INFINITY else min(hard, need + 64)
        resource.setrlimit(resource.RLIMIT_NOFILE, (want, hard))


def case_hold(port, report, count, seconds, out):
    raise_fd_limit(count)
    socks, refused, late = connect_many(port, count)
    partial = ('GET / HTTP/1.1\r\nHost: %s:%d\r\n' % (HOST, port)).encode()
    sel = selectors.DefaultSelector()
    for s in socks:
        try:
            s.send(partial)
        except OSError:
            pass  # shows up below as a close by the server
        sel.register(s, selectors.EVENT_READ)
    closed, answered = 0, set()
    end = time.monotonic() + seconds
    while time.monotonic() < end and not stop_requested(out):
        for key, _ in sel.select(0.05):
            s = key.fileobj
            try:
                chunk = s.recv(65536)
            except BlockingIOError:
                continue
            except OSError:
                chunk = b''
            if chunk:
                answered.add(s)  # e.g. a 408; the close normally follows
                continue
            sel.unregister(s)
            s.close()
            closed += 1
    still = len(sel.get_map())
    for key in list(sel.get_map().values()):
        key.fileobj.close()
    sel.close()
    report(opened=len(socks), refused=refused, connect_timeout=late,
           closed_by_server=closed, answered=len(answered), still_open=still)


def case_never_read(port, report, seconds, out):
    socks, refused, late = connect_many(port, 4, rcvbuf=4096)
    if refused or late:
        report(refused=refused, connect_timeout=late)
    events = ('GET /events HTTP/1.1\r\nHost: %s:%d\r\nAccept: text/event-stream\r\n'
              'Cache-Control: no-cache\r\n\r\n' % (HOST, port)).encode()
    for s in socks:
        try:
            s.send(events)
        except OSError:
            pass
    wait_or_stop(seconds, out)
    for i, s in enumerate(socks):
        # Only now look at what piled up; a server still streaming would
        # keep us here forever, hence the 1 s / 1 MiB cap.
        got, closed = b'', False
        end = time.monotonic() + 1.0
        while time.monotonic() < end and len(got) < MIB:
            try:
                chunk = s.recv(65536)
            except BlockingIOError:
                break
            except OSError:
                closed = True
                break
            if not chunk:
                closed = True
                break
            got += chunk
        report(conn=i, status=status_of(got) if got else 'none', buffered=len(got),
               server_closed='yes' if closed else 'no')
        s.close()


def parse_args():
    p = Parser(description='Misbehaving HTTP client for the overlay server.')
    p.add_argument('--port', type=int, required=True)
    common = Parser(add_help=False)
    common.add_argument('--out', metavar='FILE')
    sub = p.add_subparsers(dest='case', required=True, parser_class=Parser)
    for name in ('ok', 'dotdot', 'encoded-dotdot', 'wrong-host', 'post', 'big-header'):
        sub.add_parser(name, parents=[common])
    h = sub.add_parser('hold', parents=[common])
    h.add_argument('count', nargs='?', type=int, default=100)
    h.add_argument('seconds', nargs='?', type=float, default=10)
    n = sub.add_parser('never-read', parents=[common])
    n.add_argument('seconds', nargs='?', type=float, default=10)
    args = p.parse_args()
    if not 0 < args.port < 65535:
        p.error('bad --port')
    return args


def main():
    args = parse_args()
    report = Report(args.case, args.out)
    port = args.port
    try:
        if args.case == 'ok':
            case_ok(port, report)
        elif args.case == 'dotdot':
            case_paths(port, report, ['/../gen_tavrik.ini'])
        elif args.case == 'encoded-dotdot':
            case_paths(port, report, ['/%2e%2e/gen_tavrik.ini', '/%2e%2e/'])
        elif args.case == 'wrong-host':
            case_wrong_host(port, report)
        elif args.case == 'post':
            case_post(port, report)
        elif args.case == 'big-header':
            case_big_header(port, report)
        elif args.case == 'hold':
            case_hold(port, report, args.count, args.seconds, args.out)
        elif args.case == 'never-read':
            case_never_read(port, report, args.seconds, args.out)
    except KeyboardInterrupt:
        print('hostile_http: interrupted', file=sys.stderr)
        return 1
    except Exception as e:
        print('hostile_http: %s: %s' % (type(e).__name__, str(e).strip().replace('\n', ' ')),
              file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
