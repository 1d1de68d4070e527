#!/usr/bin/env python3
"""Checks the policy templates against where the module reads its policy.

check_policy_templates.py ADMX ADML ADM -- COMMAND...

COMMAND prints the module's own facts (policy_facts.exe): "key PATH",
"list NAME" per name list, "dword NAME N..." for NewSnapins. Each template
must offer exactly these, for the machine and the user, under "Velmark
Administrator" > "Snap-ins", supported on Windows 95 and NT 4.0 and later;
every string and presentation the ADMX names must be in the ADML, with the
presentation's controls naming the policy's elements.
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

NAMESPACE = "Velmark.Policies.Snapins"
NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
CATEGORY = ("Velmark Administrator", "Snap-ins")
SUPPORTED = "Windows 95, Windows NT 4.0 and later"


def module_facts(command):
    lines = [line.split() for line in subprocess.run(command, check=True, capture_output=True, text=True).stdout.splitlines()]
    key = next(" ".join(words[1:]) for words in lines if words[0] == "key")
    facts = set()
    for cls in ("Machine", "User"):
        for words in lines:
            if words[0] == "list":
                facts.add((cls, CATEGORY, SUPPORTED, words[1], "list", key + "\\" + words[1], ""))
            elif words[0] == "dword":
                facts.add((cls, CATEGORY, SUPPORTED, words[1], "dword", key, words[1], tuple(map(int, words[2:]))))
    return facts


def admx_facts(admx, adml, problems):
    root, texts = ET.parse(admx).getroot(), ET.parse(adml).getroot()
    strings = {s.get("id"): s.text for s in texts.iterfind(".//p:stringTable/p:string", NS)}
    presentations = {p.get("id"): p for p in texts.iterfind(".//p:presentationTable/p:presentation", NS)}
    for kind, name in re.findall(r"\$\((string|presentation)\.([^)]*)\)", open(admx, encoding="utf-8").read()):
        if name not in (strings if kind == "string" else presentations):
            problems.append(f"{admx}: $({kind}.{name}) is not in {adml}")
    if root.find("p:policyNamespaces/p:target", NS).get("namespace") != NAMESPACE:
        problems.append(f"{admx}: the target namespace is not {NAMESPACE}")
    text = lambda ref: strings.get(ref[len("$(string."):-1], ref)
    categories = {c.get("name"): c for c in root.iterfind(".//p:categories/p:category", NS)}
    supported = {d.get("name"): text(d.get("displayName")) for d in root.iterfind(".//p:supportedOn//p:definition", NS)}

    def path(name):
        parent = categories[name].find("p:parentCategory", NS)
        return (path(parent.get("ref")) if parent is not None else ()) + (text(categories[name].get("displayName")),)

    facts = set()
    for policy in root.iterfind(".//p:policies/p:policy", NS):
        name, key, elements = policy.get("name"), policy.get("key"), policy.find("p:elements", NS)
        where = (path(policy.find("p:parentCategory", NS).get("ref")),
                 supported.get(policy.find("p:supportedOn", NS).get("ref")), name)
        shown = presentations.get(policy.get("presentation", "")[len("$(presentation."):-1])
        if shown is not None and {c.get("refId") for c in shown} != {e.get("id") for e in elements}:
            problems.append(f"{adml}: the presentation of {name} does not name the elements of the policy")
        for element in elements:
            if element.tag.endswith("list"):
                fact = ("list", element.get("key", key), element.get("valuePrefix"))
            else:
                values = tuple(int(v.get("value")) for v in element.iterfind("p:item/p:value/p:decimal", NS))
                fact = ("dword", element.get("key", key), element.get("valueName"), values)
            classes = ("Machine", "User") if policy.get("class") == "Both" else (policy.get("class"),)
            facts |= {(cls, *where, *fact) for cls in classes}
    return facts


def adm_facts(adm, problems):
    body, _, table = open(adm, encoding="latin-1").read().partition("[strings]")
    strings = dict(re.findall(r'^(\w+)="(.*)"$', table, re.MULTILINE))
    for name in sorted(set(re.findall(r"!!(\w+)", body)) - set(strings)):
        problems.append(f"{adm}: !!{name} is not in [strings]")
    facts, cls, categories, keys, policy, part = set(), None, [], [""], None, None
    for line in body.splitlines():
        words = [w.strip('"') for w in re.findall(r'"[^"]*"|[^\s"]+', line.split(";")[0])]
        first = (words or [""])[0]
        if first == "CLASS":
            cls = words[1].title()
        elif first == "CATEGORY":
            categories.append(strings.get(words[1][2:]))
            keys.append(keys[-1])
        elif words == ["END", "CATEGORY"]:
            categories.pop()
            keys.pop()
        elif first == "KEYNAME" and (part or policy):
            (part or policy)["key"] = words[1]
        elif first == "KEYNAME":
            keys[-1] = words[1]
        elif first == "POLICY":
            policy = {"name": words[1][2:], "key": keys[-1], "supported": None}
        elif first == "SUPPORTED":
            policy["supported"] = strings.get(words[1][2:])
        elif first == "PART":
            part = {"type": words[2], "key": policy["key"], "prefix": None, "value": None, "values": ()}
        elif first in ("VALUEPREFIX", "VALUENAME"):
            part["prefix" if first == "VALUEPREFIX" else "value"] = words[1]
        elif first == "NAME" and "VALUE" in words:
            at = words.index("VALUE")
            part["values"] += (int(words[at + 2]) if words[at + 1] == "NUMERIC" else words[at + 1],)
        elif words == ["END", "PART"]:
            fact = ("list", part["key"], part["prefix"]) if part["type"] == "LISTBOX" else (
                "dword", part["key"], part["value"], part["values"])
            facts.add((cls, tuple(categories), policy["supported"], policy["name"], *fact))
            part = None
        elif words == ["END", "POLICY"]:
            policy = None
    return facts


def compare(template, found, wanted, problems):
    for fact in sorted(wanted - found, key=str):
        problems.append(f"{template}: lacks what the module reads: {fact}")
    for fact in sorted(found - wanted, key=str):
        problems.append(f"{template}: offers what the module does not read: {fact}")


def main():
    if len(sys.argv) < 6 or sys.argv[4] != "--":
        sys.exit(__doc__)
    admx, adml, adm, command = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[5:]
    problems, wanted = [], module_facts(command)
    compare(admx, admx_facts(admx, adml, problems), wanted, problems)
    compare(adm, adm_facts(adm, problems), wanted, problems)
    print("\n".join(problems + [f"{len(wanted)} settings of the module checked, {len(problems)} problems"]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
