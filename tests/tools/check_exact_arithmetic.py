"""Every compile command of the project's own sources forbids fused multiply-add.

On amd64 without -mfma a missing flag changes no result, so no numeric test can notice it; the
compile commands can. Usage: check_exact_arithmetic.py BUILD_DIR SOURCE_DIR
"""
import json
import os
import sys


def main():
    build, source = sys.argv[1], os.path.realpath(sys.argv[2])
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        commands = json.load(f)
    own = [c for c in commands
           if os.path.realpath(c["file"]).startswith(source + os.sep)
           and "/build/" not in os.path.relpath(os.path.realpath(c["file"]), source) + "/"
           and not os.path.relpath(os.path.realpath(c["file"]), source).startswith("build")]
    missing = [c["file"] for c in own
               if "-ffp-contract=off" not in c.get("command", " ".join(c.get("arguments", [])))]
    for f in missing:
        print("no -ffp-contract=off:", os.path.relpath(f, source))
    print(f"{len(own) - len(missing)} of {len(own)} sources compiled without fused multiply-add")
    return 1 if missing or not own else 0


if __name__ == "__main__":
    sys.exit(main())
