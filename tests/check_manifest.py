#!/usr/bin/env python3
"""Checks the manifest a program carries (resource type 24, id 1), as Windows XP and later read it
before the program starts: well-formed XML asking for the themed common controls, per-monitor DPI
awareness, the Windows versions from Vista on, no elevation, and nothing else.
    check_manifest.py program.scr [program ...]
Windows 95, 98, Me, NT 4.0 and 2000 never read it; a malformed one stops the program on XP and later."""
import struct
import sys
import xml.etree.ElementTree as ElementTree

ASM1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
RT_MANIFEST = 24

# Vista, 7, 8, 8.1, 10 and 11.
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}

# Every element the manifest holds, as paths from the root: no more, no fewer.
ELEMENTS = sorted(
    [
        ASM1 + "assembly",
        ASM1 + "assembly/" + ASM1 + "assemblyIdentity",
        ASM1 + "assembly/" + ASM1 + "description",
        ASM1 + "assembly/" + ASM1 + "dependency",
        ASM1 + "assembly/" + ASM1 + "dependency/" + ASM1 + "dependentAssembly",
        ASM1 + "assembly/" + ASM1 + "dependency/" + ASM1 + "dependentAssembly/" + ASM1 + "assemblyIdentity",
        ASM1 + "assembly/" + ASM3 + "trustInfo",
        ASM1 + "assembly/" + ASM3 + "trustInfo/" + ASM3 + "security",
        ASM1 + "assembly/" + ASM3 + "trustInfo/" + ASM3 + "security/" + ASM3 + "requestedPrivileges",
        ASM1 + "assembly/" + ASM3 + "trustInfo/" + ASM3 + "security/" + ASM3 + "requestedPrivileges/"
        + ASM3 + "requestedExecutionLevel",
        ASM1 + "assembly/" + COMPATIBILITY + "compatibility",
        ASM1 + "assembly/" + COMPATIBILITY + "compatibility/" + COMPATIBILITY + "application",
    ]
    + [ASM1 + "assembly/" + COMPATIBILITY + "compatibility/" + COMPATIBILITY + "application/"
       + COMPATIBILITY + "supportedOS"] * len(SUPPORTED_OS)
    + [
        ASM1 + "assembly/" + ASM3 + "application",
        ASM1 + "assembly/" + ASM3 + "application/" + ASM3 + "windowsSettings",
        ASM1 + "assembly/" + ASM3 + "application/" + ASM3 + "windowsSettings/" + SETTINGS2005 + "dpiAware",
        ASM1 + "assembly/" + ASM3 + "application/" + ASM3 + "windowsSettings/" + SETTINGS2016 + "dpiAwareness",
    ]
)


def resources(data):
    """The resource section's entries, as {(type, name): bytes}, found through the PE headers."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    table = optional + optional_size
    for i in range(sections):
        _, virtual_size, address, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if address <= rsrc_rva < address + max(virtual_size, raw_size):
            base, delta = raw_offset + rsrc_rva - address, address - raw_offset
            break
    else:
        return {}

    def directory(offset):
        named, numbered = struct.unpack_from("<HH", data, base + offset + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            yield (None if name & 0x80000000 else name), target

    found = {}
    for type_id, type_target in directory(0):
        for name_id, name_target in directory(type_target & 0x7FFFFFFF):
            for _, language_target in directory(name_target & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + language_target)
                found[(type_id, name_id)] = data[rva - delta:rva - delta + size]
    return found


def paths(element, prefix=""):
    here = prefix + element.tag
    yield here
    for child in element:
        yield from paths(child, here + "/")


def check_program(path):
    verdicts = []

    def check(description, holds):
        verdicts.append(holds)
        print(("ok: " if holds else "FAILED: ") + description)

    with open(path, "rb") as program:
        manifest = resources(program.read()).get((RT_MANIFEST, 1))
    check(f"{path} carries a manifest, resource type 24 with id 1", manifest is not None)
    if manifest is None:
        return False
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        check(f"the manifest is well-formed XML ({error})", False)
        return False
    check("the manifest is well-formed XML", True)
    check("it holds exactly the expected elements", sorted(paths(root)) == ELEMENTS)
    check("manifest version 1.0", root.get("manifestVersion") == "1.0")

    controls = root.find(f"{ASM1}dependency/{ASM1}dependentAssembly/{ASM1}assemblyIdentity")
    check("Common Controls 6, for the themed dialog",
          controls is not None and controls.get("name") == "Microsoft.Windows.Common-Controls"
          and controls.get("version") == "6.0.0.0" and controls.get("publicKeyToken") == "6595b64144ccf1df")
    level = root.find(f"{ASM3}trustInfo/{ASM3}security/{ASM3}requestedPrivileges/{ASM3}requestedExecutionLevel")
    check("runs as its invoker, never elevated",
          level is not None and level.get("level") == "asInvoker" and level.get("uiAccess") == "false")
    systems = {os.get("Id") for os in root.iter(COMPATIBILITY + "supportedOS")}
    check("known to Vista, 7, 8, 8.1 and 10/11", systems == SUPPORTED_OS)
    settings = f"{ASM3}application/{ASM3}windowsSettings/"
    aware = root.find(settings + SETTINGS2005 + "dpiAware")
    awareness = root.find(settings + SETTINGS2016 + "dpiAwareness")
    check("per-monitor DPI aware (dpiAware true/pm)", aware is not None and aware.text == "true/pm")
    check("per-monitor DPI aware (dpiAwareness PerMonitorV2, PerMonitor)",
          awareness is not None and awareness.text == "PerMonitorV2, PerMonitor")
    return all(verdicts)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    results = [check_program(path) for path in sys.argv[1:]]
    print("manifest: " + ("all checks passed" if all(results) else "FAILED"))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
