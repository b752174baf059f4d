#!/usr/bin/python3
"""A speed line of a machine through the library's C interface, with nothing
but Python's standard library (ctypes): loads a case file, runs it at several
rotor speeds and prints flow, pressure ratio, power and efficiency per point.

Usage: examples/speed_line.py [CASE_FILE] [FACTOR...]
  CASE_FILE  default examples/air_turbine_stage.dat
  FACTOR     speed factors on the case's own rotor speeds (default 0.8 0.9 1.0 1.1 1.2)
The library is taken from $HALVORINE2_LIBRARY, else from the build tree beside
this script, else from where the system finds an installed libhalvorine2.so.
Values are SI: kg/s, W, rad/s; the pressure ratio is inlet total over the
span-mean outlet static pressure for a turbine, its inverse for a compressor."""
import ctypes
import ctypes.util
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def load_library():
    candidates = [os.environ.get("HALVORINE2_LIBRARY"), os.path.join(HERE, "..", "build", "lib", "libhalvorine2.so"),
                  ctypes.util.find_library("halvorine2")]
    for path in candidates:
        if path and (os.path.exists(path) or not os.path.isabs(path)):
            try:
                lib = ctypes.CDLL(path)
                break
            except OSError:
                continue
    else:
        sys.exit("libhalvorine2.so not found: build it (tools/run.sh) or set HALVORINE2_LIBRARY")
    case = ctypes.c_void_p
    key = ctypes.c_char_p
    for name, result, args in (("binit_threading", ctypes.c_int, []), ("bend_threading", ctypes.c_int, []),
                               ("binit", case, []), ("bterm", None, []), ("set_bdLocals", ctypes.c_int, [case]),
                               ("load_data", ctypes.c_int, [key]), ("dbrun", ctypes.c_int, [case, ctypes.c_int]),
                               ("get_int_par", ctypes.c_int, [key]), ("set_int_par", ctypes.c_int, [key, ctypes.c_int]),
                               ("get_double_par0", ctypes.c_double, [key]),
                               ("get_double_par1", ctypes.c_double, [key, ctypes.c_int]),
                               ("get_double_par2", ctypes.c_double, [key, ctypes.c_int, ctypes.c_int]),
                               ("set_double_par1", ctypes.c_int, [key, ctypes.c_int, ctypes.c_double]),
                               ("set_char_par", ctypes.c_int, [key, key]), ("set_outDst", None, [ctypes.c_int])):
        f = getattr(lib, name)
        f.restype, f.argtypes = result, args
    return lib


def pressure_ratio(lib, ns, nr):
    """Inlet total over the span mean of the outlet static pressure
    (trapezoidal rule over the stream tubes), as the report's pi."""
    p = [lib.get_double_par2(b"isd__p2", ns, j) for j in range(nr)]
    p2 = p[0] if nr < 2 else (0.5 * (p[0] + p[-1]) + sum(p[1:-1])) / (nr - 1)
    p0 = lib.get_double_par1(b"elem__p0", 0)
    return p0 / p2 if p2 < p0 else p2 / p0


def point(lib, case_file, factor):
    """One run of the case with every rotor speed times factor."""
    block = lib.binit()
    if not block or lib.load_data(case_file.encode()) != 0:
        sys.exit("%s does not load" % case_file)
    # No reports, and the solver's progress lines go to a dump file that is
    # nowhere: the table is the output.
    for k in (b"IP", b"IPI", b"IPO"):
        lib.set_int_par(k, 0)
    lib.set_char_par(b"dump_name", os.devnull.encode())
    lib.set_outDst(1)
    ns, nr = lib.get_int_par(b"cyld__ns"), lib.get_int_par(b"cyld__nr")
    speed = 0.0
    for i in range(ns + 1):
        wp = lib.get_double_par1(b"bld__wp", i)
        if wp != 0.0:
            lib.set_double_par1(b"bld__wp", i, wp * factor)
            speed = max(speed, abs(wp * factor))
    result = lib.dbrun(block, 0)
    lib.set_bdLocals(block)
    row = (speed * 60 / (2 * math.pi), lib.get_double_par0(b"cyld__G"), pressure_ratio(lib, ns, nr),
           lib.get_double_par0(b"cyld__Nc"), lib.get_double_par0(b"cyld__eff"), lib.get_double_par0(b"cyld__effx"),
           result)
    lib.bterm()
    return row


def main(argv):
    case_file = argv[1] if len(argv) > 1 else os.path.join(HERE, "air_turbine_stage.dat")
    factors = [float(x) for x in argv[2:]] or [0.8, 0.9, 1.0, 1.1, 1.2]
    lib = load_library()
    lib.binit_threading()
    print("%10s %10s %8s %12s %8s %8s %6s" % ("speed rpm", "G kg/s", "pi", "power W", "eff ts", "eff tt", "result"))
    worst = 0
    for factor in factors:
        rpm, g, pi, power, eff, effx, result = point(lib, case_file, factor)
        print("%10.0f %10.4f %8.4f %12.1f %8.4f %8.4f %6d" % (rpm, g, pi, power, eff, effx, result))
        worst = worst or result
    lib.bend_threading()
    return worst


if __name__ == "__main__":
    sys.exit(main(sys.argv))
