#!/usr/bin/env python3
"""Checks that every relative link and picture of the README and of the pages in docs/ leads to a
file of the repository. Usage: check_links.py REPOSITORY"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")


def main():
    root = pathlib.Path(sys.argv[1])
    broken = []
    for page in [root / "README.md", *sorted((root / "docs").glob("*.md"))]:
        for target in LINK.findall(page.read_text(encoding="utf-8")):
            path = target.split("#")[0]
            if path and "://" not in target and not (page.parent / path).exists():
                broken.append(f"{page.relative_to(root)}: {target}")
    print("\n".join(broken) or "every link leads to a file")
    sys.exit(1 if broken else 0)


if __name__ == "__main__":
    main()
