#!/usr/bin/env python3
"""Checks a Windows program as the oldest Windows it is for would load it, without running it.

- Its header: the processor, a stripped GUI program, the oldest Windows in the subsystem and
  operating system versions (a later one makes Windows XP refuse to start it), and the flags that
  Windows and its security checkers read: address randomisation, data execution prevention,
  terminal-server awareness, and for x64 the high-entropy addresses, for x86 no SEH handlers.
- Its import table: every DLL!function must be on the list of what the oldest Windows exports.
  A function of later Windows has to be looked up at run time instead, or the program fails to
  start with "entry point not found"; and a DLL that is not Windows' own would have to be shipped.
- Its resources: the icon group of nine plain bitmaps, the version block, and the manifest built
  for its processor, which must hold no element of the manifest namespace that Windows XP does not
  know ("the application configuration is incorrect").

Usage: check_windows_program.py PROGRAM x86|x64 MANIFEST EXPORTS OBJDUMP WINDRES VERSION SHORT
(VERSION the project's, SHORT as Windows shows it)
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

# Per processor: objdump's name of the format, the oldest Windows as NT major.minor, and the
# flags of the header's DllCharacteristics.
SAFE = {"DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVICE_AWARE"}
FORMATS = {"x86": ("pei-i386", "5.1", SAFE | {"NO_SEH"}),
           "x64": ("pei-x86-64", "5.2", SAFE | {"HIGH_ENTROPY_VA"})}
# The manifest elements of urn:schemas-microsoft-com:asm.v1 that Windows XP's loader knows; what
# later Windows read stands in namespaces of their own, which XP passes over.
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
KNOWN_TO_XP = {"assembly", "assemblyIdentity", "description", "dependency", "dependentAssembly",
               "file", "comClass", "typelib", "windowClass", "noInherit", "noInheritable",
               "comInterfaceExternalProxyStub", "clrClass", "clrSurrogate"}
ICON_IMAGES = sorted(f"{size}/{bits}" for size in (48, 32, 16) for bits in (4, 8, 32))


def version_values(version, short):
    """The version block's lines for the project's version (1.2.3.4) and Windows' form of it."""
    numbers = ", ".join(version.split("."))
    return [f"FILEVERSION {numbers}", f"PRODUCTVERSION {numbers}", 'BLOCK "080404B0"',
            f'VALUE "FileVersion", "{short}"', f'VALUE "ProductVersion", "{short}"',
            'VALUE "ProductName", "Dravix"', 'VALUE "OriginalFilename", "dravix.exe"',
            'VALUE "Translation", 0x804, 1200']


def output(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def exported(path, architecture):
    """The DLL!function names of the list; a line marked "x64:" holds for x64 only."""
    names = set()
    for line in open(path, encoding="utf-8"):
        fields = line.split(None, 1)
        if fields and not line.startswith("#"):
            if architecture == "x64" or not fields[1].startswith("x64:"):
                names.add(fields[0])
    return names


def header_faults(program, architecture, objdump):
    file_format, oldest, flags = FORMATS[architecture]
    headers = output(objdump, "-p", program)
    fields = dict(re.findall(r"^(\w+)\t+(\S+)", headers, re.MULTILINE))
    faults = []
    if f"file format {file_format}" not in headers:
        faults.append(f"not a {file_format} program")
    if fields.get("Subsystem") != "00000002":
        faults.append(f"subsystem {fields.get('Subsystem')}, not Windows GUI")
    if "symbols stripped" not in headers:
        faults.append("not stripped")
    for kind in ("Subsystem", "OSystem"):
        version = f"{fields.get(f'Major{kind}Version')}.{fields.get(f'Minor{kind}Version')}"
        if version != oldest:
            faults.append(f"{kind} version {version}, not {oldest}")
    declared = re.search(r"^DllCharacteristics\t+\w+\n((?:\t+\w+\n)*)", headers, re.MULTILINE)
    faults += [f"no {flag} in the header" for flag in
               sorted(flags - set(declared.group(1).split() if declared else []))]
    return faults, headers


def import_faults(headers, allowed):
    imports, dll = set(), None
    in_table = False
    for line in headers.splitlines():
        in_table = (in_table or line.startswith("The Import Tables")) and \
            not line.startswith("The Function Table")
        if in_table and "DLL Name:" in line:
            dll = line.split()[-1].upper()
        elif in_table and re.match(r"^\t[0-9a-f]+\t +\d+ +\S+$", line):
            imports.add(f"{dll}!{line.split()[-1]}")
    if not imports:
        return ["no imports read"]
    return [f"imports {name}, which the oldest Windows does not export"
            for name in sorted(imports - allowed)]


def resource_faults(program, architecture, manifest_path, windres, versions):
    resources = output(windres, "-J", "coff", "-O", "rc", "-i", program)
    faults = [f"no {value} in the version block" for value in versions
              if value not in resources]
    # Each icon image is a plain bitmap as every Windows shell shows it: a 40-byte header over
    # twice the image's height (colours and mask), uncompressed.
    images = []
    for words in re.findall(r"/\* RT_ICON \*/\nBEGIN\n +([^\n]*)", resources):
        size, width, height, planes_bits, compression = (int(w.strip().rstrip("L"), 16)
                                                         for w in words.split(",")[:5])
        if size != 0x28 or height != 2 * width or compression != 0:
            faults.append(f"icon image not an uncompressed bitmap with its mask: {words}")
        images.append(f"{width}/{planes_bits >> 16}")
    if sorted(images) != ICON_IMAGES or "Has 9 elements" not in resources:
        faults.append(f"icon images (size/bits) {sorted(images)}, not {ICON_IMAGES}")

    manifest = open(manifest_path, "rb").read()
    if "1 24 /* RT_MANIFEST */" not in resources or manifest not in open(program, "rb").read():
        faults.append(f"{manifest_path} is not the program's manifest")
    root = ElementTree.fromstring(manifest)
    identity = root.find(ASM_V1 + "assemblyIdentity")
    wanted = {"x86": "x86", "x64": "amd64"}[architecture]
    if identity is None or identity.get("processorArchitecture") != wanted:
        faults.append(f"the manifest is not for {wanted}")
    faults += [f"the manifest's element {element.tag} is unknown to Windows XP"
               for element in root.iter() if element.tag.startswith(ASM_V1)
               and element.tag[len(ASM_V1):] not in KNOWN_TO_XP]
    return faults


def main():
    program, architecture, manifest, exports, objdump, windres, version, short = sys.argv[1:9]
    faults, headers = header_faults(program, architecture, objdump)
    faults += import_faults(headers, exported(exports, architecture))
    faults += resource_faults(program, architecture, manifest, windres,
                              version_values(version, short))
    for fault in faults:
        print(f"{program}: {fault}")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
