"""Checks of the command-line host a user meets first: version, key table,
run summary, --set, --json and the messages of mistaken input.

Usage: cli_test.py CHECK HOST SOURCE_DIR VERSION (one CTest per CHECK)."""
import json
import os
import re
import subprocess
import sys
import tempfile

CHECK, HOST, SOURCE, VERSION = sys.argv[1:5]
EXAMPLE = os.path.join(SOURCE, "examples", "air_turbine_stage.dat")
PREDESIGN = os.path.join(SOURCE, "examples", "predesign_centrifugal.dat")
WORK = tempfile.mkdtemp()
os.chdir(WORK)


def host(*args):
    return subprocess.run([HOST, *args], capture_output=True, text=True)


def expect(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


def report_figure(text, name):
    """A figure of the integral report, 'name = value'."""
    m = re.search(r"(?<![A-Za-z])" + re.escape(name) + r" = (\S+)", text)
    expect(m is not None, name + " in the report")
    return float(m.group(1))


def summary_line(text, label):
    m = re.search(r"^  " + label + r" +(.*)$", text, re.M)
    expect(m is not None, "summary line " + label)
    return m.group(1)


def numbers(text):
    return [float(x) for x in re.findall(r"-?\d+(?:\.\d+)?(?:e[-+]\d+)?", text)]


def check_version():
    r = host("--version")
    expect(r.returncode == 0, "--version exits 0")
    expect(re.match(r"^halvorine2 " + re.escape(VERSION) + r"( \(git [0-9a-f]+(-dirty)?\))?$", r.stdout.strip()),
           "--version prints the CMake version, not " + r.stdout)


HEADLINE_KEYS = ["cyld__G", "cyld__Gout", "cyld__Nc", "cyld__eff", "cyld__effx", "cyld__effp", "cyld__effD",
                 "cyld__effDx", "cyld__H0", "cyld__H0x", "cyld__pil", "cyld__pir", "cyld__pirTotal", "cyld__uCo",
                 "elem__G1", "elem__p0", "elem__i0", "elem__p2", "bld__wp"]
UNITS = {"cyld__G": "kg/s", "cyld__Nc": "W", "elem__p0": "Pa", "cyld__H0": "J/kg", "bld__wp": "rad/s"}


def check_keys():
    r = host("keys")
    expect(r.returncode == 0, "keys exits 0")
    lines = {l.split()[0]: l for l in r.stdout.splitlines()[1:]}
    for key in HEADLINE_KEYS:
        expect(key in lines, key + " has a line")
        fields = lines[key].split(None, 3)
        expect(fields[1] in ("input", "result") and len(fields[3]) > 10, key + " has a role and a meaning")
    for key, unit in UNITS.items():
        expect(lines[key].split()[2] == unit, key + " in " + unit)
    r = host("keys", "effx")
    expect(r.returncode == 0 and "cyld__effx" in r.stdout and "cyld__G " not in r.stdout, "keys PATTERN filters")
    expect(host("keys", "no_such_thing").returncode == 1, "keys without a match exits 1")


def run_example(*extra):
    return host("run", *extra, "--json", "result.json", EXAMPLE)


def check_summary():
    r = run_example()
    expect(r.returncode == 0, "the example solves")
    out = r.stdout
    summary = out[out.rindex("==== Summary of"):]
    expect(len(summary.strip().splitlines()) <= 10, "the summary is at most ten lines")
    expect(out.rstrip().endswith("0: solved"), "the answer is at the end")
    with open("result.json") as f:
        res = json.load(f)
    expect(summary_line(summary, "machine").startswith("turbine"), "a turbine")
    g, given = numbers(summary_line(summary, "mass flow"))[:2]
    expect(abs(g - res["cyld__G"]) < 1e-5 * g and given == 3.0, "mass flow as cyld__G and the given 3 kg/s")
    pi, pix = numbers(summary_line(summary, "pressure ratio"))[:2]
    # The report's own span means, printed by another piece of code.
    expect(abs(pi - report_figure(out, "pi")) < 1e-5 * pi, "total-to-static ratio as the report's pi")
    expect(abs(pix - report_figure(out, "pix")) < 1e-5 * pix, "total-to-total ratio as the report's pix")
    expect(abs(numbers(summary_line(summary, "power"))[0] - res["cyld__Nc"]) < 1e-5 * res["cyld__Nc"], "power")
    eff, effx = numbers(summary_line(summary, "efficiency"))[:2]
    expect(abs(eff - report_figure(out, "Eff")) < 1e-5 and abs(effx - report_figure(out, "Effx")) < 1e-5,
           "efficiencies as the report's Eff and Effx")
    rpm, rad = numbers(summary_line(summary, "speed"))[:2]
    expect(rad == 3000.0 and abs(rpm - 3000.0 * 60 / (2 * 3.141592653589793)) < 1e-5 * rpm, "speed in rpm")


def check_json():
    r = run_example()
    expect(r.returncode == 0, "the example solves")
    with open("result.json") as f:
        res = json.load(f)
    ns, nr = res["cyld__ns"], res["cyld__nr"]
    expect(ns == 2 and nr == 3 and res["result"] == 0, "counts and result")
    for key in ("isd__p2", "flow__r2", "cas__x2", "isd__s2", "flow__c2u", "cas__B2"):
        expect(len(res["stations"][key]) == ns + 1 and all(len(row) == nr for row in res["stations"][key]),
               key + " per element and streamline")
    expect(res["elements"]["elem__p0"][0] == 400000.0, "the inlet pressure of the case file")
    expect(abs(res["pi"] - report_figure(r.stdout, "pi")) < 1e-5 * res["pi"], "pi as the report")
    # The heads as the run computed them: the report prints Ho = G H0.
    ho = res["cyld__G"] * res["cyld__H0"]
    expect(abs(ho - report_figure(r.stdout, "Ho")) < 1e-5 * ho, "G H0 as the report's Ho")
    # Each station's arrays belong together: the total enthalpy is the static
    # one plus the kinetic energy of the absolute velocity, h0 = h + c^2/2,
    # and the velocity is made of its axial, radial and swirl components.
    st = res["stations"]
    for i in range(ns + 1):
        for j in range(nr):
            h, h0, c = st["isd__i2"][i][j], st["isd__i2x"][i][j], st["flow__c2"][i][j]
            expect(abs(h0 - (h + c * c / 2)) < 1e-6 * abs(h0), "h0 = h + c^2/2 at [%d][%d]" % (i, j))
            cz, cu = st["flow__c2z"][i][j], st["flow__c2u"][i][j]
            expect(cz * cz + cu * cu <= c * c * (1 + 1e-9), "c >= |(cz, cu)| at [%d][%d]" % (i, j))


def check_set():
    r = run_example("--set", "elem__G1[0]=2.5")
    expect(r.returncode == 0, "the changed example solves")
    with open("result.json") as f:
        res = json.load(f)
    expect(res["elements"]["elem__G1"][0] == 2.5, "the given flow took 2.5")
    expect(2.5 < res["cyld__G"] < 2.6, "the inlet flow follows the given one: %g" % res["cyld__G"])
    for bad in ("no_such_key=1", "elem__G1[7]=1", "cyld__G[0]=1", "elem__G1=1"):
        r = host("run", "--set", bad, EXAMPLE)
        expect(r.returncode == 2 and bad.split("=")[0].split("[")[0] in r.stderr, "--set %s refused with exit 2" % bad)
    expect(host("run", "--set", "novalue", EXAMPLE).returncode == 2, "--set without = refused")


def check_errors():
    r = host("predesign", "--criterion", "NOKEY", "--points", "1", PREDESIGN)
    expect(r.returncode == 2 and "NOKEY" in r.stderr, "unknown criterion: exit 2 naming it")
    r = host("run", "--dump", "/nonexistent/folder/run.dump", EXAMPLE)
    expect(r.returncode == 1 and "/nonexistent/folder/run.dump" in r.stderr, "unwritable dump: exit 1 naming it")
    r = host("run", PREDESIGN)
    expect(r.returncode == 1 and "predesign input file" in r.stderr, "run on a predesign file says so")
    r = host("predesign", EXAMPLE)
    expect(r.returncode == 1 and "is a case file" in r.stderr, "predesign on a case file says so")
    r = host("units", "ip")
    expect(r.returncode == 0 and "\u00b0R" in r.stdout, "units ip prints the degree sign in UTF-8")


{"version": check_version, "keys": check_keys, "summary": check_summary, "json": check_json, "set": check_set,
 "errors": check_errors}[CHECK]()
