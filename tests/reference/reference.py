"""reference.py PART CLI SOURCE_DIR: forgeline-cli's tables and encoders
against statements and readers that do not come from the program: the
README's look-alike names, Python's strict JSON reader and UTF-8 codec,
percent-decoding, bash reading back a quoted word, and a CR LF converter.

Random cases are seeded: a failure names its seed and repeats."""

import json
import os
import random
import re
import subprocess
import sys
import tempfile
import urllib.parse
from pathlib import Path

PART, CLI, ROOT = sys.argv[1], sys.argv[2], Path(sys.argv[3])
failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message, file=sys.stderr)


def run(*args, cwd=None):
    return subprocess.run([CLI, *args], cwd=cwd, capture_output=True, timeout=60)


def no_duplicate_keys(pairs):
    keys = [key for key, _ in pairs]
    if len(keys) != len(set(keys)):
        raise ValueError(f"duplicate keys {keys}")
    return dict(pairs)


def bad_constant(name):
    raise ValueError(f"{name} is no JSON")


def strings_of(value):
    if isinstance(value, str):
        yield value
    elif isinstance(value, dict):
        for key, item in value.items():
            yield key
            yield from strings_of(item)
    elif isinstance(value, list):
        for item in value:
            yield from strings_of(item)


def strict_json(raw, what):
    """RFC 8259 as strictly as Python reads it: UTF-8 without a flaw, no
    control character in a string, no NaN, no key twice, no lone surrogate
    escape. None (and a failure) when the bytes are not such a document."""
    try:
        value = json.loads(raw.decode("utf-8"), object_pairs_hook=no_duplicate_keys, parse_constant=bad_constant)
        for text in strings_of(value):
            text.encode("utf-8")
        return value
    except (UnicodeError, ValueError) as error:
        fail(f"{what}: not strict JSON ({error}): {raw[:200]!r}")
        return None


# ------------------------------------------------------ look-alike file names

# Each shape of "almost MCU_*.txt" the README names (case, "-" for "_", a
# blank at its end, ".txt" twice) and the blanks elsewhere, with the name the
# file was meant to have; and near names that are no such shape.
LOOK_ALIKES = [
    ("mcu_a.txt", "MCU_a.txt", "case matters"),
    ("MCU_B.TXT", "MCU_B.txt", "case matters"),
    ("Mcu_C.Txt", "MCU_C.txt", "case matters"),
    ("MCU-D.txt", "MCU_D.txt", '"-" where "_" belongs'),
    ("MCU E.txt", "MCU_E.txt", '" " where "_" belongs'),
    ("MCU_F.txt ", "MCU_F.txt", "a blank before or after the name"),
    (" MCU_G.txt", "MCU_G.txt", "a blank before or after the name"),
    ("MCU_H.TXT.TXT", "MCU_H.txt", '".txt" twice'),
    ("MCU_I.txt.txt.txt", "MCU_I.txt", None),
    ("MCU_J.txt.txt", "MCU_J.txt", None),
    ("mcu-.txt", "MCU_.txt", '"-" where "_" belongs'),
]
NOT_LOOK_ALIKES = ["MCU.txt", "mcu.txt", "MCUK.txt", "MCU_K.tx", "MCX_L.txt", "MCU_M.txt.bak", "MC_.txt",
                   "MCU__N.txt", "MCU_.txt", "MCU_O.txt", "   ", "KCU_P.txt"]


def look_alike_names():
    with tempfile.TemporaryDirectory() as top:
        keys = Path(top) / "KeyFiles"
        keys.mkdir()
        for name in [n for n, _, _ in LOOK_ALIKES] + NOT_LOOK_ALIKES:
            (keys / name).write_bytes(b"MenuName=X\n")
        # A link to a key file is that file, no odd name.
        (keys / "MCU_Q.txt").symlink_to("MCU_O.txt")
        out = run("-C", top, "check").stdout.decode("utf-8", "replace")
    said = {}
    for line in out.splitlines():
        match = re.match(r".*?KeyFiles/(.*?): warning: the name (.*)", line)
        if match:
            said.setdefault(match.group(1), []).append(match.group(2))
    for name, meant, cause in LOOK_ALIKES:
        lines = said.pop(name, [])
        listed = name.startswith("MCU_") and name.endswith(".txt")
        if len(lines) != 1 or not lines[0].endswith("rename it to " + meant):
            fail(f"'{name}': expected one look-alike warning naming {meant}, got {lines}")
        elif cause is not None and f"({cause})" not in lines[0]:
            fail(f"'{name}': expected the cause {cause}, got {lines[0]}")
        elif ("never lists this file" in lines[0]) == listed:
            fail(f"'{name}': {'listed' if listed else 'not listed'}, but the warning says otherwise: {lines[0]}")
    for name in said:
        fail(f"'{name}' is no look-alike, but got {said[name]}")


# ------------------------------------------------------------- random bytes

# What a JSON string or a URI treats specially, and every way UTF-8 can be
# right or wrong.
SPECIAL = [bytes([b]) for b in range(1, 0x20) if b != 0x0A] + [
    b'"', b"\\", b"/", b"\x7f", b"#", b"%", b"?", b" ", b"'", b"\xc2\x80", b"\xc3\xa9", b"\xe2\x82\xac",
    b"\xe2\x80\xa8", b"\xef\xbf\xbd", b"\xef\xbb\xbf", b"\xf0\x9f\x98\x80", b"\xf4\x8f\xbf\xbf", b"\xc0\xaf",
    b"\xc1\xbf", b"\xe0\x80\xaf", b"\xed\xa0\x80", b"\xed\xbf\xbf", b"\xf4\x90\x80\x80", b"\xf5\x80\x80\x80",
    b"\xe2\x82", b"\xf0\x9f\x98", b"\x80", b"\xbf", b"\xfe", b"\xff"]


def random_text(rng, tokens, exclude=b"\n"):
    parts = []
    for _ in range(rng.randint(1, tokens)):
        part = rng.choice(SPECIAL) if rng.random() < 0.6 else bytes([rng.randint(1, 255)])
        if not any(b in exclude for b in part):
            parts.append(part)
    text = b"".join(parts) or b"x"
    return text


def nova_body(menu):
    body = (ROOT / "examples/KeyFiles/MCU_NOVA16.txt").read_bytes()
    return b"\n".join(b"MenuName=" + menu if line.startswith(b"MenuName=") else line for line in body.split(b"\n"))


def json_writers():
    seed = int(os.environ.get("FORGELINE_SEED", "2026"))
    for round_ in range(36):
        rng = random.Random(seed * 1000 + round_)
        with tempfile.TemporaryDirectory() as top:
            keys = os.path.join(os.fsencode(top), b"KeyFiles")
            os.mkdir(keys)
            mcus = {}
            while len(mcus) < 3:
                # A file name may hold anything but "/" and NUL; a caption ends
                # at its line end, and a CR before it would be part of that.
                title = b"MCU_" + random_text(rng, 8, b"\n/")
                menu = random_text(rng, 12).rstrip(b"\r").lstrip(b" ") or b"m"
                if menu not in mcus.values() and title not in mcus:
                    mcus[title] = menu
            for title, menu in mcus.items():
                with open(os.path.join(keys, title + b".txt"), "wb") as file:
                    file.write(nova_body(menu))
            what = f"seed {seed}, round {round_}"
            listed = strict_json(run("-C", top, "list", "--format=json").stdout, f"list, {what}")
            expected = [{"index": i, "caption": menu.decode("utf-8", "replace"), "file": title.decode("utf-8", "replace")}
                        for i, (title, menu) in enumerate(sorted(mcus.items(), key=lambda item: item[1]))]
            if listed is not None and listed != expected:
                fail(f"list, {what}: {listed} against {expected}")
            index = round_ % len(mcus)
            shown = strict_json(run("-C", top, "show", f"#{index}", "--click", "#1", "--format=json").stdout,
                                f"show #{index}, {what}")
            if listed and shown and shown["mcu"]["caption"] != listed[index]["caption"]:
                fail(f"show #{index}, {what}: caption {shown['mcu']['caption']!r}")
            # The same bytes where findings quote them: a menu name, a module
            # line and its uses text, a section line, a whole file; and a file
            # of the checker's fuzz corpus.
            hostile = os.path.join(os.fsencode(top), b"hostile")
            os.makedirs(os.path.join(hostile, b"KeyFiles"))
            menu, text = list(mcus.values())[0], random_text(rng, 30)
            corpus = sorted((ROOT / "tests/fuzz/corpus/checker").iterdir())
            for title, content in ((b"MCU_A", nova_body(menu) + b"MODULE:" + text + b" uses " + text + b"\n6." + text +
                                    b"\n" + text + b"\nENDMODULE\n"),
                                   (b"MCU_B" + text.replace(b"/", b"_"), text),
                                   (b"MCU_C", corpus[round_ % len(corpus)].read_bytes())):
                with open(os.path.join(hostile, b"KeyFiles", title + b".txt"), "wb") as file:
                    file.write(content)
            for folder in (os.fsencode(top), hostile):
                sarif(run("-C", folder, "check", "--format=sarif").stdout, run("-C", folder, "check").stdout,
                      os.path.join(folder, b"KeyFiles"), what)


TEMPLATES = (b"burner.bbl", b"C_Layout.hwl", b"Default.mem", b"Start08.c", b"StartRS08.c")


def sarif(raw, gcc, keys, what):
    """Each result of the log is the finding of the same place in the GCC
    style report, its text as Python decodes those bytes."""
    log = strict_json(raw, f"check --format=sarif, {what}")
    if log is None:
        return
    run_ = log["runs"][0]
    rules = run_["tool"]["driver"]["rules"]
    lines = gcc.split(b"\n")[:-2]
    if not run_["results"] or len(lines) != len(run_["results"]):
        fail(f"sarif, {what}: {len(run_['results'])} results for {len(lines)} findings")
    for result, line in zip(run_["results"], lines):
        said = f": {result['level']}: {result['message']['text']}"
        if not line.decode("utf-8", "replace").endswith(said):
            fail(f"sarif, {what}: {said!r} against {line!r}")
        rule = rules[result["ruleIndex"]]
        if rule["id"] != result["ruleId"] or rule["defaultConfiguration"]["level"] != result["level"]:
            fail(f"sarif, {what}: result {result['ruleId']} points at rule {rule['id']}")
        place = result["locations"][0]["physicalLocation"]
        uri = place["artifactLocation"]["uri"]
        if not re.fullmatch(r"(file://)?([A-Za-z0-9._~/-]|%[0-9A-F]{2})*", uri):
            fail(f"sarif, {what}: '{uri}' is no percent-encoded reference")
        path = urllib.parse.unquote_to_bytes(uri.removeprefix("file://"))
        if not line.startswith(path + b":"):
            fail(f"sarif, {what}: '{uri}' against {line!r}")
        named = path[path.rfind(b"KeyFiles/") + len(b"KeyFiles/"):]
        if not (os.path.exists(os.path.join(keys, named)) or named in TEMPLATES or named.endswith(b".mcp")):
            fail(f"sarif, {what}: '{uri}' names {path!r}, no file of the check")
        number = re.match(rb":(\d+): ", line[len(path):])
        if place["region"]["startLine"] != (int(number.group(1)) if number else 1):
            fail(f"sarif, {what}: {result['ruleId']} at line {place['region']['startLine']} against {line!r}")


# ------------------------------------------------------------- CR LF text

def crlf_writer():
    """main.c is its text with each LF as CR LF and nothing else changed,
    also where a line end meets the edge of a 64 KB chunk: INIT's section 7
    grows by one byte a build until each edge has been met."""
    rng = random.Random(int(os.environ.get("FORGELINE_SEED", "2026")))
    lines = [b"  " + random_text(rng, 90, b"\n\x00")[:90].rstrip(b"\r").ljust(90, b"x") for _ in range(900)]
    with tempfile.TemporaryDirectory() as top:
        keys = Path(top) / "KeyFiles"
        keys.mkdir()
        for name in ("burner.bbl", "C_Layout.hwl", "Default.mem", "Start08.c", "S08-NOVA16.mcp"):
            (keys / name).write_bytes(b"x")
        for pad in range(0, 80, 3):
            body = nova_body(b"S08-NOVA16").replace(b"\n7. function bodies\n", b"\n7.\n" + b"/" * pad + b"\n" + b"\n".join(lines) + b"\n", 1)
            (keys / "MCU_NOVA16.txt").write_bytes(body)
            name = f"P{pad}"
            dry = run("-C", top, "build", "#0", "--name", name, "--date", "2026-12-07", "--dry-run", "--print",
                      "Sources/main.c").stdout
            r = run("-C", top, "build", "#0", "--name", name, "--date", "2026-12-07")
            if r.returncode != 0:
                fail(f"build with pad {pad}: {r.stderr!r}")
                continue
            written = (Path(top) / name / "Sources/main.c").read_bytes()
            text = written.replace(b"\r\n", b"\n")
            if len(written) < 65536 * 1.1 or written != text.replace(b"\n", b"\r\n") or dry != written:
                fail(f"pad {pad}: main.c ({len(written)} bytes) is not its LF text with each LF as CR LF")
            elif (b"\n".join(lines) + b"\n") not in text:
                fail(f"pad {pad}: main.c lost bytes of section 7")


# ------------------------------------------------------- quoted shell words

QUOTE_CHECK = r"""
source "$1/dist/completion/forgeline-cli.bash"
bad=0
while IFS= read -r -d '' caption; do
  for quote in "" "'" '"'; do
    _forgeline_cli_quote "$caption"
    closing=$quote
    [[ -n $quote && $text == *"$quote" ]] && closing=""
    eval "word=$quote$text$closing" 2>/dev/null
    if [[ $word != "$caption" ]]; then
      printf 'FAIL: %q in [%s] reads back as %q (typed %q)\n' "$caption" "$quote" "$word" "$text" >&2
      bad=1
    fi
  done
done
exit $bad
"""


def shell_quoting():
    rng = random.Random(int(os.environ.get("FORGELINE_SEED", "2026")))
    special = [bytes([b]) for b in b"$`\\\"'!*?[]{}()<>|&;~#=%^ \t\r:,@"]
    captions = [bytes([b]) for b in range(1, 256) if b != 0x0A]
    for _ in range(400):
        captions.append(b"".join(rng.choice(special) if rng.random() < 0.5 else bytes([rng.choice(
            [b for b in range(1, 256) if b != 0x0A])]) for _ in range(rng.randint(1, 12))))
    r = subprocess.run(["bash", "-c", QUOTE_CHECK, "quote", str(ROOT)], input=b"\0".join(captions) + b"\0",
                       env={**os.environ, "LC_ALL": "C"}, capture_output=True, timeout=60)
    if r.returncode != 0:
        fail("quoted captions do not read back:\n" + r.stderr.decode("utf-8", "replace")[:3000])


PARTS = {"look-alike-names": look_alike_names, "json-writers": json_writers,
         "crlf-writer": crlf_writer, "shell-quoting": shell_quoting}
PARTS[PART]()
sys.exit(1 if failures else 0)
