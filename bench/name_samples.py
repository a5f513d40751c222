#!/usr/bin/env python3
"""Names the functions of chat_bench's profile: reads its "profile-at",
"profile-via" and "profile-own" lines (FILE OFFSET COUNT) on stdin and prints,
for each kind, the TOP functions with the most samples, each with its share
of all samples: where the thread was, the nearest caller of the system calls
it waited in, and the innermost function of the module's own on its stack.

  name_samples.py [TOP] < module_output

A PE module's offset is an RVA, named through its DWARF information with
the MinGW addr2line (Wine's own DLLs carry it). A Unix library of Wine's has
no symbols: its samples are counted as the library's.
"""
import collections
import subprocess
import sys


def image_base(objdump, path):
    out = subprocess.run([objdump, "-p", path], capture_output=True, text=True).stdout
    for line in out.splitlines():
        if line.startswith("ImageBase"):
            return int(line.split()[1], 16)
    return None


def name_pe(path, offsets, tools):
    """Function names of the offsets of one PE file, or None when unreadable."""
    for prefix in tools:
        base = image_base(prefix + "objdump", path)
        if base is None:
            continue
        addresses = ["0x%x" % (base + offset) for offset in offsets]
        out = subprocess.run([prefix + "addr2line", "-f", "-C", "-e", path] + addresses,
                             capture_output=True, text=True).stdout.splitlines()
        return out[0::2] if len(out) == 2 * len(offsets) else None
    return None


KINDS = (("profile-at", "where"), ("profile-via", "through"), ("profile-own", "in module"))


def main(argv):
    top = int(argv[1]) if len(argv) > 1 else 30
    samples = {kind: collections.defaultdict(dict) for kind, _ in KINDS}  # file -> offset -> count
    for line in sys.stdin:
        words = line.split()
        if len(words) == 4 and words[0] in samples:
            samples[words[0]][words[1]][int(words[2], 16)] = int(words[3])
    total = sum(sum(offsets.values()) for offsets in samples["profile-at"].values())
    if not total:
        sys.exit("no profile-at lines")
    tools = ("x86_64-w64-mingw32-", "i686-w64-mingw32-")
    for kind, title in KINDS:
        functions = collections.Counter()
        for path, offsets in samples[kind].items():
            module = path.rsplit("/", 1)[-1]
            listed = sorted(offsets)
            names = name_pe(path, listed, tools) if path.lower().endswith((".dll", ".exe")) else None
            for i, offset in enumerate(listed):
                name = names[i] if names and names[i] != "??" else "?"
                functions["%s!%s" % (module, name)] += offsets[offset]
        for name, count in functions.most_common(top):
            print("%s: %5.1f%%  %s" % (title, count * 100.0 / total, name))


if __name__ == "__main__":
    main(sys.argv)
