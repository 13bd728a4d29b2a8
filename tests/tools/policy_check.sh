#!/usr/bin/env bash
# The Group Policy template (installer/policy) is well-formed, complete in both languages, and
# names the registry key and value the client reads (identity/server_config.h). Prints PASS/FAIL
# lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exec python3 - "$root" <<'PY'
import re
import sys
import xml.etree.ElementTree as ET

root = sys.argv[1]
ns = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
admx_path = "installer/policy/vq.admx"
adml_paths = ["installer/policy/en-US/vq.adml", "installer/policy/ru-RU/vq.adml"]


failures = 0


def check(ok, text):
    global failures
    print(("PASS " if ok else "FAIL ") + text)
    failures += not ok
    return ok


def header_constant(name):
    # inline constexpr std::u16string_view kName = u"...";  (C++ escapes: only \\ is used)
    with open(f"{root}/identity/server_config.h", encoding="utf-8") as f:
        m = re.search(name + r'\s*=\s*u"((?:[^"\\]|\\.)*)"', f.read())
    return m.group(1).encode().decode("unicode_escape") if m else None


trees = {}
for path in [admx_path] + adml_paths:
    try:
        trees[path] = ET.parse(f"{root}/{path}")
        check(True, f"{path} is well-formed XML")
    except (OSError, ET.ParseError) as e:
        check(False, f"{path} is well-formed XML ({e})")
if admx_path not in trees:
    sys.exit(1)

admx = trees[admx_path].getroot()
policies = admx.findall("p:policies/p:policy", ns)
check(len(policies) == 1, f"{admx_path} defines one policy (found {len(policies)})")

# Every $(string.X) and $(presentation.X) the ADMX uses, with the element ids it declares.
admx_text = ET.tostring(admx, encoding="unicode")
string_ids = set(re.findall(r"\$\(string\.([^)]+)\)", admx_text))
presentation_ids = set(re.findall(r"\$\(presentation\.([^)]+)\)", admx_text))
element_ids = {e.get("id") for p in policies for e in p.find("p:elements", ns) or []}
check(len(string_ids) > 0 and len(presentation_ids) > 0,
      f"{admx_path} refers to strings {sorted(string_ids)} and presentations {sorted(presentation_ids)}")

for path in adml_paths:
    if path not in trees:
        continue
    adml = trees[path].getroot()
    strings = {s.get("id"): (s.text or "") for s in adml.findall("p:resources/p:stringTable/p:string", ns)}
    missing = sorted(string_ids - strings.keys())
    check(not missing, f"{path} defines every string the template uses" + (f" (missing {missing})" if missing else ""))
    empty = sorted(i for i in string_ids & strings.keys() if not strings[i].strip())
    check(not empty, f"{path} has no empty string" + (f" (empty {empty})" if empty else ""))
    presentations = {p.get("id"): p for p in adml.findall("p:resources/p:presentationTable/p:presentation", ns)}
    missing = sorted(presentation_ids - presentations.keys())
    check(not missing, f"{path} defines every presentation the template uses" + (f" (missing {missing})" if missing else ""))
    refs = {c.get("refId") for i in presentation_ids & presentations.keys() for c in presentations[i]}
    check(refs == element_ids, f"{path} presentation controls {sorted(refs)} match the policy elements {sorted(element_ids)}")
    help_text = strings.get("ServerName_Help", "")
    for needle in ["http://gate.corp.local/", "kvr.php", "server=", "vq.ini", "ServerName"]:
        check(needle in help_text, f"{path} explanation mentions {needle}")

key = header_constant("kPolicyKeyPath")
value = header_constant("kServerNameItem")
check(key is not None and value is not None,
      f"identity/server_config.h gives the policy key {key!r} and value {value!r}")
for policy in policies:
    name = policy.get("name")
    check(policy.get("class") == "User", f"policy {name} is a per-user policy (class={policy.get('class')!r})")
    check(policy.get("key") == key, f"policy {name} key {policy.get('key')!r} is the client's {key!r}")
    texts = policy.findall("p:elements/p:text", ns)
    check(len(texts) == 1 and texts[0].get("valueName") == value,
          f"policy {name} writes the text value {[t.get('valueName') for t in texts]} the client reads ({value!r})")
    check(len(texts) == 1 and texts[0].get("expandable", "false") == "false",
          f"policy {name} writes a plain string (REG_SZ)")
    category = policy.find("p:parentCategory", ns)
    categories = {c.get("name") for c in admx.findall("p:categories/p:category", ns)}
    check(category is not None and category.get("ref") in categories,
          f"policy {name} lies in a category the template defines")
sys.exit(1 if failures else 0)
PY
