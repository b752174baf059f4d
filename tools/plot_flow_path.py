#!/usr/bin/python3
"""Pictures of a solved flow path from the JSON results of the command-line
host (halvorine2 run --json RESULT.json CASE): the meridional view (hub and
casing lines, blade rows, streamlines), the h-s diagram of the stations with
the isobars of the inlet total and the outlet static pressure, and the
velocity triangles of each blade row on the middle streamline.

Usage: /usr/bin/python3 tools/plot_flow_path.py RESULT.json OUT.png
Needs matplotlib (Debian: python3-matplotlib)."""
import json
import math
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (the back end is chosen first)


def main(result_path, picture_path):
    with open(result_path) as f:
        res = json.load(f)
    ns, nr = res["cyld__ns"], res["cyld__nr"]
    el, st = res["elements"], res["stations"]
    m = nr // 2
    rows = [i for i in range(1, ns + 1) if el["bld__z"][i] > 0]

    fig = plt.figure(figsize=(12, 8), layout="constrained")
    grid = fig.add_gridspec(2, max(len(rows), 2))
    half = max(len(rows), 2) // 2
    meridional(fig.add_subplot(grid[0, :half]), res, ns, nr)
    hs_diagram(fig.add_subplot(grid[0, half:]), res, ns, m)
    for k, i in enumerate(rows):
        triangles(fig.add_subplot(grid[1, k]), el, st, i, m)
    fig.suptitle("%s: %s, result %d (%s)" % (res["case"].split("/")[-1], res["machine"], res["result"],
                                             res["result_meaning"]))
    fig.savefig(picture_path, dpi=100)


def meridional(ax, res, ns, nr):
    """Stations at the elements' outlets: axial position against radius."""
    el, st = res["elements"], res["stations"]
    x, r = st["cas__x2"], st["flow__r2"]
    for j in range(nr):
        ax.plot([x[i][j] for i in range(ns + 1)], [r[i][j] for i in range(ns + 1)], color="tab:blue", lw=0.8, zorder=3,
                label="streamlines" if j == 0 else None)
    # Hub and casing: the rows' own radii where they have them, else the
    # outermost streamlines.
    hub, casing, xs = [], [], []
    for i in range(ns + 1):
        xm = x[i][nr // 2]
        h, t = el.get("bld__Rh2", [0] * (ns + 1))[i], el.get("bld__Rt2", [0] * (ns + 1))[i]
        if not (t > h > 0):
            h, t = r[i][0], r[i][-1]
        xs.append(xm)
        hub.append(h)
        casing.append(t)
    ax.plot(xs, hub, "k-", lw=1.5, label="hub")
    ax.plot(xs, casing, "k--", lw=1.5, label="casing")
    for i in range(1, ns + 1):
        if el["bld__z"][i] <= 0:
            continue
        x1, x2 = x[i - 1][nr // 2], x[i][nr // 2]
        r1h, r1t = el["bld__Rh1"][i], el["bld__Rt1"][i]
        r2h, r2t = el["bld__Rh2"][i], el["bld__Rt2"][i]
        if not (r1t > r1h > 0):
            r1h, r1t = r[i - 1][0], r[i - 1][-1]
        if not (r2t > r2h > 0):
            r2h, r2t = r[i][0], r[i][-1]
        rotor = el["bld__wp"][i] != 0
        ax.fill([x1, x2, x2, x1], [r1h, r2h, r2t, r1t], color="tab:red" if rotor else "tab:green", alpha=0.35)
        ax.annotate("%s %d" % ("R" if rotor else "S", i), ((x1 + x2) / 2, (r1t + r2t) / 2), ha="center")
    ax.set_xlabel("axial position (m)")
    ax.set_ylabel("radius (m)")
    ax.set_title("Meridional view")
    ax.legend(fontsize="small")


def hs_diagram(ax, res, ns, m):
    """Static states at each station, middle streamline, with two isobars."""
    el, st = res["elements"], res["stations"]
    s = [st["isd__s1"][0][m]] + [st["isd__s2"][i][m] for i in range(ns + 1)]
    h = [st["isd__i1"][0][m]] + [st["isd__i2"][i][m] for i in range(ns + 1)]
    ax.plot(s, h, "o-", color="tab:blue", label="stations (static)")
    for k, (si, hi) in enumerate(zip(s[1:], h[1:])):
        ax.annotate(str(k), (si, hi), textcoords="offset points", xytext=(4, 4), fontsize="small")
    ax.plot([st["isd__s2"][i][m] for i in range(ns + 1)], [st["isd__i2x"][i][m] for i in range(ns + 1)], "s--",
            color="tab:orange", label="stations (total)")
    # Isobars as a perfect gas draws them, h = h_ref exp((s - s_ref) / cp),
    # through the inlet total state and the outlet static state.
    R, k = res.get("cyld__R") or 287.0, res.get("cyld__k") or 1.4
    cp = k * R / (k - 1) if k > 1 else 1005.0
    span = max(s) - min(s) or 1.0
    grid = [min(s) - 0.3 * span + 1.6 * span * n / 40 for n in range(41)]
    for label, s_ref, h_ref in (("p0 (inlet total)", st["isd__s1"][0][m], el["elem__i0"][0]),
                                ("p2 (outlet static)", st["isd__s2"][ns][m], st["isd__i2"][ns][m])):
        ax.plot(grid, [h_ref * math.exp((g - s_ref) / cp) for g in grid], ":", label="isobar " + label)
    ax.set_xlabel("entropy s (J/(kg K))")
    ax.set_ylabel("enthalpy h (J/kg)")
    ax.set_title("h-s diagram (isobars: perfect-gas approximation)")
    ax.legend(fontsize="small")


def triangles(ax, el, st, i, m):
    """Inlet and outlet triangles: c = (cu, cz), w = (wu, cz), u = cu - wu."""
    for side, colour in (("1", "tab:blue"), ("2", "tab:red")):
        cu, cz, wu = st["flow__c%su" % side][i][m], st["flow__c%sz" % side][i][m], st["flow__w%su" % side][i][m]
        u = cu - wu
        ax.annotate("", (cu, -cz), (0, 0), arrowprops=dict(arrowstyle="->", color=colour))
        ax.annotate("", (wu, -cz), (0, 0), arrowprops=dict(arrowstyle="->", color=colour, ls="--"))
        ax.annotate("", (cu, -cz), (wu, -cz), arrowprops=dict(arrowstyle="->", color=colour, ls=":"))
        ax.plot([], [], color=colour, label="%s: c (solid), w (dashed), u (dotted)" % ("inlet" if side == "1" else
                                                                                         "outlet"))
        ax.plot([0, cu, wu, u], [0, -cz, -cz, 0], alpha=0)  # keeps every tip inside the axes
    ax.set_aspect("equal", adjustable="datalim")
    ax.set_title("%s %d velocity triangles" % ("rotor" if el["bld__wp"][i] != 0 else "stator", i))
    ax.set_xlabel("circumferential (m/s)")
    ax.set_ylabel("axial (m/s)")
    ax.legend(fontsize="x-small")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
