#!/usr/bin/env python3
# The generated winget and Scoop manifests validate against the published schemas (kept in
# ../shared/packaging beside the project) and name the SHA-256 of the files they point at.
# Usage: manifests_test.py DIST_DIR
import hashlib, json, pathlib, sys

import jsonschema
import yaml

SCHEMAS = pathlib.Path(__file__).absolute().parents[2].parent / "shared" / "packaging"
dist = pathlib.Path(sys.argv[1])


def validate(doc, schema):
    jsonschema.validate(doc, json.loads((SCHEMAS / schema).read_text(encoding="utf-8")))


def sha256_of(url):
    return hashlib.sha256((dist / url.rsplit("/", 1)[1]).read_bytes()).hexdigest()


kinds = {}
for path in sorted((dist / "manifests" / "winget").glob("*.yaml")):
    doc = yaml.safe_load(path.read_text(encoding="utf-8"))
    kinds[doc["ManifestType"]] = doc
    validate(doc, f"winget-schema-1.10.0/manifest.{doc['ManifestType']}.1.10.0.json")
assert sorted(kinds) == ["defaultLocale", "installer", "version"], sorted(kinds)
for installer in kinds["installer"]["Installers"]:
    assert installer["InstallerSha256"].lower() == sha256_of(installer["InstallerUrl"]), installer

scoop = json.loads((dist / "manifests" / "scoop" / "tessara.json").read_text(encoding="utf-8"))
validate(scoop, "scoop-schema.json")
for arch in scoop["architecture"].values():
    assert arch["hash"] == sha256_of(arch["url"]), arch
print("manifests valid, hashes match")
