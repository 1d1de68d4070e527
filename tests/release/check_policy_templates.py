#!/usr/bin/env python3
"""check_policy_templates.py SNAPINCTL ADMX ADML ADM: both templates offer, for the machine and the user, exactly
the lists and the value that the module reads, as `SNAPINCTL --json policy` gives them from the module's table of
settings; the ADMX's references resolve in the ADML."""
import json
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

P = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
BOTH = ("Machine", "User")


def module_facts(snapinctl):  # scratch keys stand for both hives, so no policy of the prefix is read
    scratch = "Software\\PLUGWARD policy templates"
    run = subprocess.run([snapinctl, "--json", "--hkcu", scratch, "--hklm", scratch, "policy"],
                         capture_output=True, text=True, check=True)
    settings = [record for record in map(json.loads, run.stdout.splitlines()) if "setting" in record]
    facts = [f"{s['kind']} {s['key']}\\{s['setting']}" + "".join(f" {v}" for v in s["values"] or []) for s in settings]
    return {(cls, fact) for fact in facts for cls in BOTH}


def fact(kind, key, prefix, value, numbers):  # Group Policy names a list's values 1, 2, 3 when the prefix is empty
    if kind in ("list", "LISTBOX"):
        return f"list {key}" + ("" if prefix == "" else f" with the value prefix {prefix!r}")
    return f"dword {key}\\{value} " + " ".join(map(str, numbers))


def admx_facts(admx, adml, problems):
    root, texts = ET.parse(admx).getroot(), ET.parse(adml).getroot()
    strings = {s.get("id") for s in texts.iter(P + "string")}
    shown = {p.get("id"): {c.get("refId") for c in p} for p in texts.iter(P + "presentation")}
    problems += [f"{admx}: $(string.{name}) is not in {adml}"
                 for name in re.findall(r"\$\(string\.(\w+)\)", open(admx).read()) if name not in strings]
    facts = set()
    for policy in root.iter(P + "policy"):
        elements = list(policy.find(P + "elements"))
        if shown.get(policy.get("presentation", "")[len("$(presentation."):-1]) != {e.get("id") for e in elements}:
            problems.append(f"{admx}: {adml} has no presentation of {policy.get('name')} naming its elements")
        facts |= {(cls, fact(e.tag[len(P):], e.get("key", policy.get("key")), e.get("valuePrefix"), e.get("valueName"),
                             [int(d.get("value")) for d in e.iter(P + "decimal")]))
                  for e in elements for cls in (BOTH if policy.get("class") == "Both" else (policy.get("class"),))}
    return facts


def adm_facts(adm):
    facts, cls, keys, part = set(), None, [None], {}
    for line in open(adm, encoding="latin-1").read().partition("[strings]")[0].splitlines():
        words = [w.strip('"') for w in re.findall(r'"[^"]*"|[^\s"]+', line.split(";")[0])] + ["", ""]
        if words[0] == "CLASS":
            cls = words[1].title()
        elif words[0] in ("CATEGORY", "POLICY", "PART"):  # a KEYNAME holds for its block and the blocks within
            keys.append(keys[-1])
            part = {"kind": words[2], "numbers": []}
        elif words[0] == "KEYNAME":
            keys[-1] = words[1]
        elif words[0] in ("VALUEPREFIX", "VALUENAME"):
            part[words[0]] = words[1]
        elif words[0] == "NAME":  # NAME !!text VALUE [NUMERIC] value
            part["numbers"].append(int(words[4]) if words[3] == "NUMERIC" else words[3])
        elif words[0] == "END" and words[1] in ("CATEGORY", "POLICY", "PART"):
            if words[1] == "PART":
                facts.add((cls, fact(part["kind"], keys[-1], part.get("VALUEPREFIX"), part.get("VALUENAME"), part["numbers"])))
            keys.pop()
    return facts


def main():
    snapinctl, admx, adml, adm = sys.argv[1:]
    wanted, problems = module_facts(snapinctl), []
    for template, facts in ((admx, admx_facts(admx, adml, problems)), (adm, adm_facts(adm))):
        problems += [f"{template}: lacks {cls} {line}" for cls, line in sorted(wanted - facts)]
        problems += [f"{template}: offers {cls} {line}, which the module does not read" for cls, line in sorted(facts - wanted)]
    print("\n".join(problems + [f"{len(wanted)} settings checked in {admx} and {adm}: {len(problems)} problems"]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
