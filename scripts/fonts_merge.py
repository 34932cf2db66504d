#!/usr/bin/env python3
"""Builds Nolby's bundled fonts from the per-script web subsets they are published as.

Font packages on npm ship one woff2 file per Unicode subset (latin, latin-ext,
cyrillic, ...). HarfBuzz wants a single TrueType file per face, so this tool
joins the subsets of one face back together:

* the subset that covers basic Latin is the base: its layout tables (GSUB,
  GPOS, kern), fvar, avar, STAT, MVAR, name, head, hhea and maxp are kept;
  tables this tool does not need to touch are copied byte for byte;
* every glyph the base lacks is added from the other subsets by name, with its
  outline (glyf), variations (gvar), metrics (hmtx/vmtx) and cmap entries;
  all subsets come from one master, so a name means the same glyph everywhere,
  which is checked rather than assumed;
* HVAR/VVAR are rebuilt from the per-glyph rows of the subsets' own tables, so
  advances vary exactly as before;
* GDEF glyph classes of added glyphs are carried over, so added marks stay marks.

Layout rules that exist only in the non-Latin subsets (kerning between Cyrillic
letters, for instance) are not carried over.

Every output is checked against its subsets before it is published: for every
glyph of every subset, at the default location and at every corner of the
design space, outline and advance must be identical, and every code point must
map to the same glyph. Any difference is a hard error.

The input is a manifest on stdin, one face per line:

    OUTPUT.ttf AXES SUBSET.woff2 [SUBSET.woff2 ...]

AXES is the comma-separated list of variation axes the face must have, or "-"
for a static face. Outputs are written into OUTDIR. head.modified is set from
SOURCE_DATE_EPOCH so the files are reproducible.
"""

import argparse
import concurrent.futures
import copy
import itertools
import os
import sys

from fontTools.misc.timeTools import timestampSinceEpoch
from fontTools.pens.recordingPen import RecordingPen
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable
from fontTools.varLib.builder import buildVarIdxMap
from fontTools.varLib.varStore import OnlineVarStoreBuilder, VarStoreInstancer

NO_VARIATION_INDEX = 0xFFFFFFFF

# Tables that must be identical in every subset of a face: the merge keeps the
# base's copy and is only right if the others agree.
SHARED_TABLES = ("fvar", "avar", "STAT", "MVAR", "name", "gasp", "prep", "fpgm", "cvt ")

# Metric variation tables: the mappings each can carry.
METRIC_VARIATIONS = {
    "HVAR": ("hmtx", ("AdvWidthMap", "LsbMap", "RsbMap")),
    "VVAR": ("vmtx", ("AdvHeightMap", "TsbMap", "BsbMap", "VOrgMap")),
}

BASE_CODEPOINT = ord("a")


class MergeError(Exception):
    pass


def fail(face, message):
    raise MergeError(f"{face}: {message}")


def open_font(path):
    font = TTFont(path, lazy=False, recalcBBoxes=False, recalcTimestamp=False)
    font.flavor = None
    return font


# --- glyph identity -------------------------------------------------------


def outline_signature(font, name):
    glyph = font["glyf"][name]
    if glyph.isComposite():
        shape = (
            "composite",
            tuple(
                (
                    c.glyphName,
                    getattr(c, "x", None),
                    getattr(c, "y", None),
                    getattr(c, "firstPt", None),
                    getattr(c, "secondPt", None),
                    c.flags,
                    repr(getattr(c, "transform", None)),
                )
                for c in glyph.components
            ),
        )
    elif glyph.numberOfContours > 0:
        shape = (
            "simple",
            tuple(glyph.endPtsOfContours),
            tuple(glyph.coordinates),
            bytes(glyph.flags),
        )
    else:
        shape = ("empty",)
    program = b""
    if glyph.numberOfContours and hasattr(glyph, "program"):
        program = bytes(glyph.program.getBytecode())
    bounds = None
    if glyph.numberOfContours:
        bounds = (glyph.xMin, glyph.yMin, glyph.xMax, glyph.yMax)
    return shape, program, bounds


def metric_variation_rows(font, tag, name):
    """The deltas of each metric mapping of `tag` for one glyph, keyed by region."""
    if tag not in font:
        return ()
    table = font[tag].table
    store = table.VarStore
    regions = store.VarRegionList.Region
    axes = font["fvar"].axes
    rows = []
    for attr in METRIC_VARIATIONS[tag][1]:
        mapping = getattr(table, attr, None)
        if mapping is None:
            if attr in ("AdvWidthMap", "AdvHeightMap"):
                var_idx = font.getGlyphID(name)  # implicit mapping: by glyph id
            else:
                rows.append((attr, None))
                continue
        else:
            var_idx = mapping.mapping[name]
        deltas = {}
        if var_idx != NO_VARIATION_INDEX:
            data = store.VarData[var_idx >> 16]
            item = data.Item[var_idx & 0xFFFF]
            for region_index, delta in zip(data.VarRegionIndex, item):
                if delta:
                    key = tuple(sorted(regions[region_index].get_support(axes).items()))
                    deltas[key] = deltas.get(key, 0) + delta
        rows.append((attr, tuple(sorted(deltas.items()))))
    return tuple(rows)


def glyph_signature(font, name):
    """Everything that makes up a glyph, independent of glyph ids."""
    variations = ()
    if "gvar" in font:
        variations = tuple(
            (tuple(sorted(v.axes.items())), tuple(v.coordinates))
            for v in font["gvar"].variations.get(name, ())
        )
    return (
        outline_signature(font, name),
        font["hmtx"][name],
        font["vmtx"][name] if "vmtx" in font else None,
        variations,
        metric_variation_rows(font, "HVAR", name),
        metric_variation_rows(font, "VVAR", name),
    )


# --- merging --------------------------------------------------------------


def load_subsets(face, paths):
    fonts = [open_font(p) for p in paths]
    bases = [i for i, f in enumerate(fonts) if BASE_CODEPOINT in f.getBestCmap()]
    if len(bases) != 1:
        fail(face, f"expected exactly one subset mapping U+{BASE_CODEPOINT:04X}, found {len(bases)}")
    order = bases + [i for i in range(len(fonts)) if i not in bases]
    return [fonts[i] for i in order], [paths[i] for i in order]


def check_shared_tables(face, fonts, paths):
    base = fonts[0]
    for tag in SHARED_TABLES:
        present = [tag in f for f in fonts]
        if any(present) != all(present):
            fail(face, f"table {tag!r} is missing from some subsets")
        if tag in base:
            data = base.reader[tag]
            for font, path in zip(fonts[1:], paths[1:]):
                if font.reader[tag] != data:
                    fail(face, f"table {tag!r} of {os.path.basename(path)} differs from the base subset")
    tags = sorted(base.keys())
    for font, path in zip(fonts[1:], paths[1:]):
        if sorted(font.keys()) != tags:
            fail(face, f"{os.path.basename(path)} has tables {sorted(font.keys())}, the base has {tags}")
    for tag in ("CFF ", "CFF2", "VORG", "COLR", "CPAL", "SVG ", "CBDT", "sbix"):
        if tag in base:
            fail(face, f"table {tag!r} is not supported by this merge")


def check_axes(face, font, axes):
    have = [a.axisTag for a in font["fvar"].axes] if "fvar" in font else []
    if sorted(have) != sorted(axes):
        fail(face, f"axes are {have or 'none'}, expected {axes or 'none'}")


def merge_cmaps(face, base, others, renames):
    """Adds the other subsets' cmap entries to every cmap subtable of the base."""
    merged = {}
    for st in base["cmap"].tables:
        merged[(st.platformID, st.platEncID)] = dict(st.cmap)
    for index, font in enumerate(others, start=1):
        rename = renames[index]
        for st in font["cmap"].tables:
            key = (st.platformID, st.platEncID)
            if key not in merged:
                fail(face, f"cmap subtable {key} exists only in a non-base subset")
            target = merged[key]
            for cp, name in st.cmap.items():
                name = rename.get(name, name)
                if target.setdefault(cp, name) != name:
                    fail(face, f"U+{cp:04X} maps to {target[cp]} and to {name} in different subsets")
    tables = []
    for st in base["cmap"].tables:
        entries = merged[(st.platformID, st.platEncID)]
        if st.format == 4:
            entries = {cp: g for cp, g in entries.items() if cp <= 0xFFFF}
        st.cmap = entries
        tables.append(st)
    # Format 4 stops at U+FFFF; add full-range subtables when a subset needs them.
    full = {}
    for entries in merged.values():
        full.update(entries)
    if any(cp > 0xFFFF for cp in full):
        present = {(st.platformID, st.platEncID) for st in tables}
        for pid, eid in ((0, 4), (3, 10)):
            if (pid, eid) not in present:
                st = CmapSubtable.newSubtable(12)
                st.platformID, st.platEncID, st.language = pid, eid, 0
                st.cmap = dict(full)
                tables.append(st)
    base["cmap"].tables = tables


def rebuild_metric_variations(base, tag, sources, glyph_order):
    """Rebuilds HVAR or VVAR from each glyph's rows in the subset it came from."""
    table = base[tag].table
    axis_tags = [a.axisTag for a in base["fvar"].axes]
    attrs = [a for a in METRIC_VARIATIONS[tag][1] if getattr(table, a, None) is not None]
    for a in ("AdvWidthMap", "AdvHeightMap"):
        if a in METRIC_VARIATIONS[tag][1] and a not in attrs:
            attrs.insert(0, a)  # the base used implicit glyph-id mapping; write it explicitly
    rows = {}
    regions = {}
    for name in glyph_order:
        font, source_name = sources[name]
        for attr, deltas in metric_variation_rows(font, tag, source_name):
            if attr in attrs:
                rows[(attr, name)] = dict(deltas or ())
                for key in rows[(attr, name)]:
                    regions.setdefault(key, None)
    supports = [dict(key) for key in sorted(regions)]
    keys = sorted(regions)
    builder = OnlineVarStoreBuilder(axis_tags)
    if supports:
        builder.setSupports(supports)
    indices = {}
    for attr in attrs:
        for name in glyph_order:
            deltas = rows[(attr, name)]
            if not supports:
                indices[(attr, name)] = None
                continue
            indices[(attr, name)] = builder.storeDeltas([deltas.get(k, 0) for k in keys])
    store = builder.finish()
    if supports:
        remap = store.optimize(use_NO_VARIATION_INDEX=False)
    table.VarStore = store
    for attr in attrs:
        if supports:
            values = [remap[indices[(attr, name)]] for name in glyph_order]
        else:
            values = [NO_VARIATION_INDEX] * len(glyph_order)
        setattr(table, attr, buildVarIdxMap(values, glyph_order))


def widen_bounds(base):
    """Keeps head/hhea/maxp of the base (they describe the whole font) but makes
    sure they still cover every glyph of the merged font."""
    head, hhea, maxp = base["head"], base["hhea"], base["maxp"]
    computed = copy.copy(maxp)
    computed_head = copy.copy(head)
    # maxp.recalc fills head's bbox/flags; run it on copies.
    saved = base.tables["head"]
    base.tables["head"] = computed_head
    try:
        computed.recalc(base)
    finally:
        base.tables["head"] = saved
    for field in ("maxPoints", "maxContours", "maxCompositePoints", "maxCompositeContours",
                  "maxComponentElements", "maxComponentDepth"):
        setattr(maxp, field, max(getattr(maxp, field), getattr(computed, field)))
    maxp.numGlyphs = len(base.getGlyphOrder())
    if computed_head.xMin <= computed_head.xMax:
        head.xMin = min(head.xMin, computed_head.xMin)
        head.yMin = min(head.yMin, computed_head.yMin)
        head.xMax = max(head.xMax, computed_head.xMax)
        head.yMax = max(head.yMax, computed_head.yMax)
    if not computed_head.flags & 0x2:
        head.flags &= ~0x2
    computed_hhea = copy.copy(hhea)
    computed_hhea.recalc(base)
    hhea.advanceWidthMax = max(hhea.advanceWidthMax, computed_hhea.advanceWidthMax)
    hhea.minLeftSideBearing = min(hhea.minLeftSideBearing, computed_hhea.minLeftSideBearing)
    hhea.minRightSideBearing = min(hhea.minRightSideBearing, computed_hhea.minRightSideBearing)
    hhea.xMaxExtent = max(hhea.xMaxExtent, computed_hhea.xMaxExtent)


def merge(face, fonts, paths):
    """Merges fonts[1:] into fonts[0]; returns, per subset, the merged name of each of its glyphs."""
    base = fonts[0]
    others = fonts[1:]
    post3 = base["post"].formatType == 3.0
    variable = "fvar" in base

    # Decompile everything that is about to change while the base's glyph order
    # still describes its binary tables.
    touched = ["cmap", "glyf", "hmtx", "head", "hhea", "maxp", "OS/2", "post"]
    touched += [t for t in ("gvar", "vmtx", "vhea", "HVAR", "VVAR", "GDEF") if t in base]
    for tag in touched:
        table = base[tag]
        if hasattr(table, "ensureDecompiled"):
            table.ensureDecompiled()
    for font in others:
        for tag in ("glyf", "gvar"):
            if tag in font:
                font[tag].ensureDecompiled()

    glyph_order = list(base.getGlyphOrder())
    signatures = {name: glyph_signature(base, name) for name in glyph_order}
    sources = {name: (base, name) for name in glyph_order}
    renames = [{} for _ in fonts]
    names_by_subset = [list(glyph_order)]

    glyf, hmtx = base["glyf"], base["hmtx"]
    gvar = base["gvar"] if "gvar" in base else None
    vmtx = base["vmtx"] if "vmtx" in base else None
    gdef_classes = None
    if "GDEF" in base and base["GDEF"].table.GlyphClassDef is not None:
        gdef_classes = base["GDEF"].table.GlyphClassDef.classDefs

    for index, (font, path) in enumerate(zip(others, paths[1:]), start=1):
        names = []
        for name in font.getGlyphOrder():
            signature = glyph_signature(font, name)
            target = name
            if target in signatures and signatures[target] != signature:
                if not post3:
                    fail(face, f"glyph {name!r} of {os.path.basename(path)} differs from the one already merged")
                # Names in a font without glyph names (post format 3) are made
                # up from cmap and glyph ids, so a clash is no contradiction.
                suffix = itertools.count(1)
                while target in signatures and signatures[target] != signature:
                    target = f"{name}.s{next(suffix)}"
                renames[index][name] = target
            names.append(target)
            if target in signatures:
                continue
            glyph = copy.deepcopy(font["glyf"][name])
            if glyph.isComposite():
                for component in glyph.components:
                    component.glyphName = renames[index].get(component.glyphName, component.glyphName)
            glyf.glyphs[target] = glyph
            hmtx.metrics[target] = font["hmtx"][name]
            if vmtx is not None:
                vmtx.metrics[target] = font["vmtx"][name]
            if gvar is not None:
                gvar.variations[target] = copy.deepcopy(font["gvar"].variations.get(name, []))
            if gdef_classes is not None and "GDEF" in font:
                other_classes = font["GDEF"].table.GlyphClassDef
                if other_classes is not None and name in other_classes.classDefs:
                    gdef_classes[target] = other_classes.classDefs[name]
            glyph_order.append(target)
            signatures[target] = signature
            sources[target] = (font, name)
        names_by_subset.append(names)

    # Components are checked once every subset is in: a composite may come
    # before the glyphs it uses.
    for name in glyph_order:
        glyph = glyf[name]
        if glyph.isComposite():
            for component in glyph.components:
                if component.glyphName not in signatures:
                    fail(face, f"composite {name!r} uses missing glyph {component.glyphName!r}")

    merge_cmaps(face, base, others, renames)
    base.setGlyphOrder(glyph_order)
    glyf.glyphOrder = glyph_order

    if variable:
        for tag in METRIC_VARIATIONS:
            if tag in base:
                rebuild_metric_variations(base, tag, sources, glyph_order)

    os2 = base["OS/2"]
    for field in ("ulUnicodeRange1", "ulUnicodeRange2", "ulUnicodeRange3", "ulUnicodeRange4",
                  "ulCodePageRange1", "ulCodePageRange2"):
        if hasattr(os2, field):
            value = 0
            for font in fonts:
                value |= getattr(font["OS/2"], field, 0)
            setattr(os2, field, value)

    widen_bounds(base)
    if "SOURCE_DATE_EPOCH" in os.environ:
        base["head"].modified = timestampSinceEpoch(int(os.environ["SOURCE_DATE_EPOCH"]))
    return names_by_subset


# --- verification ---------------------------------------------------------


def corner_locations(font):
    """Default location plus every corner of the design space (user coordinates)."""
    if "fvar" not in font:
        return [None]
    axes = font["fvar"].axes
    default = {a.axisTag: a.defaultValue for a in axes}
    locations = [default]
    for corner in itertools.product(*[(a.minValue, a.maxValue) for a in axes]):
        location = {a.axisTag: v for a, v in zip(axes, corner)}
        if location not in locations:
            locations.append(location)
    return locations


def recording(glyph_set, name):
    pen = RecordingPen()
    glyph = glyph_set[name]
    glyph.draw(pen)
    return pen.value, glyph.width, glyph.height


def vertical_advances(font, location):
    if "VVAR" not in font or location is None:
        return None
    table = font["VVAR"].table
    instancer = VarStoreInstancer(table.VarStore, font["fvar"].axes, font.normalizeLocation(location))
    result = {}
    for name in font.getGlyphOrder():
        idx = table.AdvHeightMap.mapping[name] if table.AdvHeightMap is not None else font.getGlyphID(name)
        result[name] = font["vmtx"][name][0] + (0 if idx == NO_VARIATION_INDEX else instancer[idx])
    return result


def verify(task):
    """Checks a merged font against its subsets at some of the corner locations.

    The checks that do not depend on the location run with the chunk that
    holds the default location."""
    face, path, subset_paths, names_by_subset, glyph_ids, axes, locations, whole = task
    merged = TTFont(path, lazy=False, recalcBBoxes=False)
    subsets = [open_font(p) for p in subset_paths]
    merged_order = merged.getGlyphOrder()
    per_subset = []
    for subset, names in zip(subsets, names_by_subset):
        per_subset.append((subset, [merged_order[glyph_ids[n]] for n in names]))

    if whole:
        check_axes(face, merged, axes)
        base = subsets[0]
        for tag in ("GSUB", "GPOS", "kern") + SHARED_TABLES:
            if tag in base and merged.reader[tag] != base.reader[tag]:
                fail(face, f"table {tag!r} was not carried over unchanged")
        merged_cmap = merged.getBestCmap()
        for (subset, merged_names), subset_path in zip(per_subset, subset_paths):
            label = os.path.basename(subset_path)
            for cp, name in subset.getBestCmap().items():
                expected = merged_names[subset.getGlyphID(name)]
                if merged_cmap.get(cp) != expected:
                    fail(face, f"U+{cp:04X} maps to {merged_cmap.get(cp)}, {label} has {expected}")
            for name, merged_name in zip(subset.getGlyphOrder(), merged_names):
                if outline_signature(subset, name)[2] != outline_signature(merged, merged_name)[2]:
                    fail(face, f"stored bounding box of {name!r} ({label}) changed")

    checked = 0
    for loc in locations:
        merged_set = merged.getGlyphSet(location=loc)
        merged_v = vertical_advances(merged, loc)
        for (subset, merged_names), subset_path in zip(per_subset, subset_paths):
            subset_set = subset.getGlyphSet(location=loc)
            subset_v = vertical_advances(subset, loc)
            for name, merged_name in zip(subset.getGlyphOrder(), merged_names):
                if recording(subset_set, name) != recording(merged_set, merged_name):
                    fail(face, f"glyph {name!r} of {os.path.basename(subset_path)} differs at {loc or 'default'}")
                if subset_v is not None and subset_v[name] != merged_v[merged_name]:
                    fail(face, f"vertical advance of {name!r} ({os.path.basename(subset_path)}) differs at {loc}")
                checked += 1
    return checked


# --- driver ---------------------------------------------------------------

# Locations verified by one task: checking is the slow part, so big faces are
# spread over several processes.
LOCATIONS_PER_TASK = 3


def build(job):
    """Merges one face into a temporary file; returns the verification tasks for it."""
    outdir, output, axes, paths = job
    face = output
    subsets, paths = load_subsets(face, paths)
    check_shared_tables(face, subsets, paths)
    for font in subsets:
        check_axes(face, font, axes)
    merged_font = subsets[0]
    names_by_subset = merge(face, subsets, paths)
    glyph_order = merged_font.getGlyphOrder()
    glyph_ids = {name: gid for gid, name in enumerate(glyph_order)}
    locations = corner_locations(merged_font)

    temp = os.path.join(outdir, f".{output}.tmp{os.getpid()}")
    merged_font.save(temp, reorderTables=True)
    merged_font.close()
    chunks = [locations[i:i + LOCATIONS_PER_TASK] for i in range(0, len(locations), LOCATIONS_PER_TASK)]
    tasks = [(face, temp, paths, names_by_subset, glyph_ids, axes, chunk, i == 0)
             for i, chunk in enumerate(chunks)]
    summary = f"{len(glyph_order)} glyphs from {len(paths)} subsets, checked at {len(locations)} location(s)"
    return temp, tasks, summary


def parse_manifest(stream, outdir):
    jobs = []
    for number, line in enumerate(stream, start=1):
        fields = line.split()
        if not fields or fields[0].startswith("#"):
            continue
        if len(fields) < 3:
            raise MergeError(f"manifest line {number}: expected OUTPUT AXES SUBSET...")
        output, axes, paths = fields[0], fields[1], fields[2:]
        axes = [] if axes == "-" else axes.split(",")
        for p in paths:
            if not os.path.isfile(p):
                raise MergeError(f"{output}: subset {p} does not exist")
        jobs.append((outdir, output, axes, paths))
    if not jobs:
        raise MergeError("empty manifest")
    return jobs


def describe(face, error):
    if isinstance(error, MergeError):
        return str(error)
    # A failure inside fontTools: say which face it happened in.
    return f"{face}: {type(error).__name__}: {error}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--jobs", type=int, default=len(os.sched_getaffinity(0)))
    args = parser.parse_args()
    try:
        jobs = parse_manifest(sys.stdin, args.outdir)
    except MergeError as e:
        print(f"fonts_merge: {e}", file=sys.stderr)
        return 1

    failed = set()
    temps, summaries, pending, checked = {}, {}, {}, {}
    with concurrent.futures.ProcessPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        running = {pool.submit(build, job): ("build", job[1]) for job in jobs}
        while running:
            done, _ = concurrent.futures.wait(running, return_when=concurrent.futures.FIRST_COMPLETED)
            for future in done:
                kind, face = running.pop(future)
                try:
                    result = future.result()
                except Exception as e:  # noqa: BLE001 - reported, and the face is not published
                    if face not in failed:
                        print(f"fonts_merge: error: {describe(face, e)}", file=sys.stderr)
                    failed.add(face)
                    continue
                if kind == "build":
                    temps[face], tasks, summaries[face] = result
                    pending[face], checked[face] = len(tasks), 0
                    for task in tasks:
                        running[pool.submit(verify, task)] = ("verify", face)
                else:
                    pending[face] -= 1
                    checked[face] += result
                    if pending[face] == 0 and face not in failed:
                        os.replace(temps[face], os.path.join(args.outdir, face))
                        print(f"fonts_merge: {face}: {summaries[face]}, {checked[face]} glyph checks passed")
    for face, temp in temps.items():
        if os.path.exists(temp):
            os.unlink(temp)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
