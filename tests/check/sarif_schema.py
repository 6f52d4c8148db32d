#!/usr/bin/env python3
"""forgeline-cli check --format=sarif against the OASIS SARIF 2.1.0 schema and
what code-scanning services ask beyond it: a startLine of at least 1 in
every result, a declared base id for every relative URI, rule ids that the
rules define. Every URI must lead back to the very file the finding is about.

Usage: sarif_schema.py FORGELINE_CLI SCHEMA SCRATCH_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import urllib.parse
import urllib.request

import jsonschema

cli, schema_path, scratch = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
with open(schema_path, encoding="utf-8") as f:
    validator = jsonschema.Draft4Validator(json.load(f))

# work/ is where the command runs; lab/ holds KeyFiles, with names a URI
# cannot carry as they are; outside/ lies beyond work/.
shutil.rmtree(scratch, ignore_errors=True)
work = os.path.join(scratch, "work")
keys = os.path.join(work, "my lab #1", "KeyFiles")
outside = os.path.join(scratch, "outside 100%")
os.makedirs(keys)
os.makedirs(outside)
body = "IncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nPRMEND\nMODULE:INIT\n9. x\n7.\nvoid MCU_Init(void) { }\nENDMODULE\n"
files = {
    "MCU_A B.txt": "MenuName=SAME\n" + body + "MODULE:Led uses X\n9.y\n",
    "MCU_#2.txt": "MenuName=SAME\n" + body,
    "MCU_100%.txt": "x\n",
    "MCU_\u00e9t\u00e9.txt": "MenuName=\xe9\n" + body + "END MODULE\n",
    "MCU-near.txt": "x\n",
}
# The templates are there, so that every finding is about a file that is.
for template in ("burner.bbl", "C_Layout.hwl", "Default.mem", "Start08.c"):
    files[template] = "x\n"
for name, text in files.items():
    with open(os.path.join(keys, name), "w", encoding="utf-8") as f:
        f.write(text)
with open(os.path.join(outside, "MCU_\u00fc #.txt"), "w", encoding="utf-8") as f:
    f.write("MenuName=OUT\n")

failures = []


def check(args, least_results):
    run = subprocess.run([cli, "-C", "my lab #1"] + args + ["--format=sarif"], cwd=work, capture_output=True)
    where = " ".join(args) or "(all of KeyFiles)"
    if run.returncode not in (0, 1) or run.stderr:
        failures.append(f"{where}: exit {run.returncode}: {run.stderr!r}")
        return
    log = json.loads(run.stdout.decode("utf-8"))
    for error in validator.iter_errors(log):
        failures.append(f"{where}: schema: {error.message} at {list(error.absolute_path)}")
    for sarif_run in log["runs"]:
        bases = {name: base["uri"] for name, base in sarif_run.get("originalUriBaseIds", {}).items()}
        if bases.get("SRCROOT") != urllib.parse.urljoin("file:", urllib.request.pathname2url(os.path.realpath(work))) + "/":
            failures.append(f"{where}: SRCROOT is {bases.get('SRCROOT')!r}, not the working folder")
        rules = [rule["id"] for rule in sarif_run["tool"]["driver"]["rules"]]
        results = sarif_run["results"]
        if len(results) < least_results:
            failures.append(f"{where}: {len(results)} results, expected at least {least_results}")
        for result in results:
            if result["ruleId"] not in rules or rules[result["ruleIndex"]] != result["ruleId"]:
                failures.append(f"{where}: rule {result['ruleId']} not among the rules")
            for location in result["locations"]:
                physical = location["physicalLocation"]
                if physical["region"]["startLine"] < 1:
                    failures.append(f"{where}: startLine {physical['region']['startLine']}")
                artifact = physical["artifactLocation"]
                uri = artifact["uri"]
                if urllib.parse.urlsplit(uri).scheme:
                    absolute = uri
                elif artifact.get("uriBaseId") in bases:
                    absolute = bases[artifact["uriBaseId"]] + uri
                else:
                    failures.append(f"{where}: relative URI {uri!r} without a declared base")
                    continue
                path = urllib.request.url2pathname(urllib.parse.urlsplit(absolute).path)
                if not os.path.exists(path):
                    failures.append(f"{where}: {uri!r} leads to {path!r}, which does not exist")


check(["check"], 8)
# Named files: one inside the working folder given relative to -C, one
# outside it given absolute and one given relative.
outsider = os.path.join(outside, "MCU_\u00fc #.txt")
check(["check", "KeyFiles/MCU_A B.txt", outsider, os.path.relpath(outsider, os.path.join(work, "my lab #1"))], 6)
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
