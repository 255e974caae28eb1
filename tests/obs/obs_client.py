"""The test side's own client of OBS's WebSocket server (simpleobsws, for
/usr/bin/python3): independent of the plug-in's, it makes text sources,
reads their text back and takes pictures of them.

    obs_client.py (--fixture DIR | --port P --password PW) COMMAND ...

    wait-ready [--timeout S]        until OBS identifies this client
    create-text NAME [--file PATH] [--keep] [--size N]
                                    a Text (FreeType 2) source in the current
                                    scene, reading PATH when given; with
                                    --keep, one that exists already is kept
                                    (--size: its font's size, in points,
                                    of IPA's gothic, which holds Japanese)
    watch-picture NAME OUT [--seconds S]
                                    the same for what OBS renders of it (a
                                    source reading a file keeps no text in
                                    its settings): a line for each new
                                    picture, its SHA-256 in place of the text
    pictures-of NAME OUT TEXTHEX... sets each text (UTF-8 in hex) in turn and
                                    writes to OUT a line for each: the text
                                    and the SHA-256 of its picture
    create-color NAME 0xAABBGGRR    a plain colour over the scene, a backdrop
    create-image NAME               an Image source in the current scene,
                                    showing no file yet
    pictures-of-files NAME OUT PATH...
                                    sets the image source's file to each
                                    PATH in turn and writes to OUT a line for
                                    each: the path and the SHA-256 of its
                                    picture, once two takes agree
    set-text NAME TEXT              sets its text, as another program would
    set-file NAME PATH              sets an image source's file
    get-text NAME [--out FILE]      its text, as UTF-8 bytes, to FILE or stdout
    watch-text NAME OUT [--seconds S]
                                    asks for its text every 10 ms until S
                                    seconds have passed or OUT.stop exists,
                                    and appends to OUT a line for each text
                                    it sees: the raw monotonic clock (Wine's
                                    QueryPerformanceCounter) in us, then
                                    the text's UTF-8 bytes in hex
    screenshot NAME OUT.png [--width W --height H]
                                    the source as OBS renders it
    remove NAME                     removes the input

Exits 0 on success, 1 with a line on stderr when OBS refuses or is absent.
Talks to 127.0.0.1 only.
"""
import argparse
import asyncio
import base64
import hashlib
import os
import sys
import time

import simpleobsws


def connection_of(args):
    if args.fixture:
        with open(os.path.join(args.fixture, "port")) as f:
            port = int(f.read().strip())
        with open(os.path.join(args.fixture, "password"), encoding="utf-8") as f:
            password = f.read().rstrip("\n")
    else:
        port, password = args.port, args.password
    return port, password


async def connect(port, password):
    ws = simpleobsws.WebSocketClient(url=f"ws://127.0.0.1:{port}", password=password)
    await ws.connect()
    if not await ws.wait_until_identified(timeout=10):
        await ws.disconnect()
        raise RuntimeError("OBS did not identify this client (wrong password?)")
    return ws


async def call(ws, request_type, data=None):
    response = await ws.call(simpleobsws.Request(request_type, data or {}))
    if not response.ok():
        status = response.requestStatus
        raise RuntimeError(f"{request_type}: code {status.code}: {status.comment}")
    return response.responseData or {}


async def wait_ready(port, password, timeout):
    end = time.monotonic() + timeout
    while True:
        try:
            ws = await connect(port, password)
            await call(ws, "GetVersion")
            await ws.disconnect()
            return
        except Exception:
            if time.monotonic() > end:
                raise
            await asyncio.sleep(0.2)


async def watch(look, out_path, seconds):
    """Appends a line to OUT for each new answer of `look`, every 10 ms, until
    the time is up or OUT.stop exists."""
    end = time.monotonic() + seconds
    last = None
    with open(out_path, "a") as out:
        while time.monotonic() < end and not os.path.exists(out_path + ".stop"):
            seen_now = await look()
            # The clock Wine's QueryPerformanceCounter reads on Linux.
            seen = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
            if seen_now != last:
                out.write(f"{seen * 1e6:.0f} {seen_now}\n")
                out.flush()
                last = seen_now
            await asyncio.sleep(0.01)


async def picture_hash(ws, name):
    """The SHA-256 of what OBS renders of the source, 128 pixels wide."""
    try:
        data = await call(ws, "GetSourceScreenshot", {"sourceName": name, "imageFormat": "png", "imageWidth": 128})
    except RuntimeError as failure:
        # A text source with no text has no size, and OBS will not render
        # it: it shows nothing.
        if "code 702" not in str(failure):
            raise
        return "nothing"
    return hashlib.sha256(data["imageData"].encode()).hexdigest()


async def stable_picture(ws, name):
    """The source's picture once two takes 100 ms apart agree."""
    taken = None
    for _ in range(50):
        await asyncio.sleep(0.1)
        now = await picture_hash(ws, name)
        if now == taken:
            break
        taken = now
    return taken


async def run(args):
    port, password = connection_of(args)
    if args.command == "wait-ready":
        await wait_ready(port, password, args.timeout)
        return
    ws = await connect(port, password)
    try:
        if args.command == "create-text":
            if args.keep:
                inputs = (await call(ws, "GetInputList"))["inputs"]
                if any(i["inputName"] == args.name for i in inputs):
                    return
            scene = (await call(ws, "GetCurrentProgramScene"))["currentProgramSceneName"]
            settings = {"text": ""}
            if args.file:
                settings = {"from_file": True, "text_file": args.file}
            if args.size:
                settings["font"] = {"face": "IPAPGothic", "size": args.size, "style": "Regular", "flags": 0}
            await call(ws, "CreateInput", {"sceneName": scene, "inputName": args.name,
                                           "inputKind": "text_ft2_source_v2", "inputSettings": settings})
        elif args.command == "create-color":
            scene = (await call(ws, "GetCurrentProgramScene"))["currentProgramSceneName"]
            await call(ws, "CreateInput", {"sceneName": scene, "inputName": args.name, "inputKind": "color_source_v3",
                                           "inputSettings": {"color": int(args.color, 0)}})
        elif args.command == "create-image":
            scene = (await call(ws, "GetCurrentProgramScene"))["currentProgramSceneName"]
            await call(ws, "CreateInput", {"sceneName": scene, "inputName": args.name, "inputKind": "image_source",
                                           "inputSettings": {}})
        elif args.command == "pictures-of-files":
            with open(args.out, "w") as out:
                for path in args.paths:
                    await call(ws, "SetInputSettings", {"inputName": args.name, "inputSettings": {"file": path}})
                    out.write(f"{path} {await stable_picture(ws, args.name)}\n")
        elif args.command == "set-file":
            await call(ws, "SetInputSettings", {"inputName": args.name, "inputSettings": {"file": args.path}})
        elif args.command == "set-text":
            await call(ws, "SetInputSettings", {"inputName": args.name, "inputSettings": {"text": args.text}})
        elif args.command == "get-text":
            data = await call(ws, "GetInputSettings", {"inputName": args.name})
            text = data["inputSettings"].get("text", "").encode("utf-8")
            if args.out:
                # Whole or not at all: a reader never sees half a file.
                with open(args.out + ".part", "wb") as f:
                    f.write(text)
                os.replace(args.out + ".part", args.out)
            else:
                sys.stdout.buffer.write(text)
        elif args.command == "watch-text":
            async def text():
                data = await call(ws, "GetInputSettings", {"inputName": args.name})
                return data["inputSettings"].get("text", "").encode("utf-8").hex()
            await watch(text, args.out, args.seconds)
        elif args.command == "watch-picture":
            await watch(lambda: picture_hash(ws, args.name), args.out, args.seconds)
        elif args.command == "pictures-of":
            # Each text set in turn, and the picture it gives once two takes
            # agree: what another source shows can then be told by its picture.
            with open(args.out, "w") as out:
                for text_hex in args.texts:
                    text = bytes.fromhex(text_hex).decode("utf-8")
                    await call(ws, "SetInputSettings", {"inputName": args.name, "inputSettings": {"text": text}})
                    out.write(f"{text_hex} {await stable_picture(ws, args.name)}\n")
        elif args.command == "screenshot":
            request = {"sourceName": args.name, "imageFormat": "png"}
            if args.width:
                request["imageWidth"] = args.width
            if args.height:
                request["imageHeight"] = args.height
            data = await call(ws, "GetSourceScreenshot", request)
            image = data["imageData"].split(",", 1)[1]
            with open(args.out, "wb") as f:
                f.write(base64.b64decode(image))
        elif args.command == "remove":
            await call(ws, "RemoveInput", {"inputName": args.name})
    finally:
        await ws.disconnect()


def main():
    parser = argparse.ArgumentParser(description="The tests' own obs-websocket client.")
    parser.add_argument("--fixture", help="the folder obs-fixture.sh made (its port and password)")
    parser.add_argument("--port", type=int, default=4455)
    parser.add_argument("--password", default="")
    commands = parser.add_subparsers(dest="command", required=True)
    ready = commands.add_parser("wait-ready")
    ready.add_argument("--timeout", type=float, default=30)
    create = commands.add_parser("create-text")
    create.add_argument("name")
    create.add_argument("--file")
    create.add_argument("--keep", action="store_true")
    create.add_argument("--size", type=int)
    color = commands.add_parser("create-color")
    color.add_argument("name")
    color.add_argument("color")
    image = commands.add_parser("create-image")
    image.add_argument("name")
    files = commands.add_parser("pictures-of-files")
    files.add_argument("name")
    files.add_argument("out")
    files.add_argument("paths", nargs="*")
    file_setter = commands.add_parser("set-file")
    file_setter.add_argument("name")
    file_setter.add_argument("path")
    setter = commands.add_parser("set-text")
    setter.add_argument("name")
    setter.add_argument("text")
    getter = commands.add_parser("get-text")
    getter.add_argument("name")
    getter.add_argument("--out")
    watch = commands.add_parser("watch-text")
    watch.add_argument("name")
    watch.add_argument("out")
    watch.add_argument("--seconds", type=float, default=120)
    picture = commands.add_parser("watch-picture")
    picture.add_argument("name")
    picture.add_argument("out")
    picture.add_argument("--seconds", type=float, default=120)
    pictures = commands.add_parser("pictures-of")
    pictures.add_argument("name")
    pictures.add_argument("out")
    pictures.add_argument("texts", nargs="*")
    shot = commands.add_parser("screenshot")
    shot.add_argument("name")
    shot.add_argument("out")
    shot.add_argument("--width", type=int)
    shot.add_argument("--height", type=int)
    remove = commands.add_parser("remove")
    remove.add_argument("name")
    args = parser.parse_args()
    try:
        asyncio.run(run(args))
    except Exception as error:
        print(f"obs_client: {error}", file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
