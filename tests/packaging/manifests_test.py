#!/usr/bin/env python3
# The generated winget and Scoop manifests validate against the published schemas (kept in
# ../shared/packaging), name the SHA-256 of the files they point at and agree with the installer.
# Usage: manifests_test.py DIST_DIR
import hashlib, json, pathlib, re, struct, sys, zipfile

import jsonschema
import yaml

ROOT = pathlib.Path(__file__).absolute().parents[2]
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
# Scoop links the settings folder only; the INI files are copied, each way in its hook.
path = r'"\$(\w+)\\([\w.]+)"'  # "$variable\file"
hook = re.compile(rf"if \(Test-Path {path}\) \{{ Copy-Item {path} {path} -Force \}}")
assert scoop["persist"] in ("settings", ["settings"]), scoop["persist"]
for name, src, dst in [("post_install", "persist_dir", "dir"), ("pre_uninstall", "dir", "persist_dir")]:
    copies = sorted(m.groups() if m else () for m in map(hook.fullmatch, scoop[name]))
    assert copies == [(src, f, src, f, dst, f) for f in ("tessara.ini", "tswin.ini")], scoop[name]
url, version = scoop["architecture"]["64bit"]["url"], scoop["version"]
assert scoop["autoupdate"]["architecture"]["64bit"]["url"].replace("$version", version) == url
assert re.search(scoop["checkver"]["regex"], url)[1] == version
# What the installer writes, resolved from its defines, and the program's version resource.
nsi = (ROOT / "scripts" / "tessara.nsi").read_text(encoding="utf-8")
defines = dict(re.findall(r'^!define (\w+) "(.*)"$', (ROOT / "res" / "release.nsh").read_text() + nsi, re.M))
cmake = (ROOT / "cmake" / "version.cmake").read_text(encoding="utf-8")
defines["VERSION"], stage = (re.search(rf'^set\(TESSARA_{k} "?([\w.]*)"?\)', cmake, re.M)[1]
                              for k in ("VERSION", "STAGE"))
resolve = lambda s: re.sub(r"\$\{(\w+)\}", lambda m: resolve(defines[m[1]]), s)
reg = {k: resolve(v) for k, v in re.findall(r'WriteRegStr HKCU "\$\{UNINST_KEY\}" "(\w+)" "(.*)"', nsi)}
exe = zipfile.ZipFile(dist / url.rsplit("/", 1)[1]).read("tessara.exe")
ms, ls, flags = struct.unpack_from("<2I12xI", exe, exe.index(struct.pack("<I", 0xFEEF04BD)) + 8)  # VS_FIXEDFILEINFO
installer, locale = kinds["installer"], kinds["defaultLocale"]
for seen, want in [(installer["ProductCode"], resolve(defines["UNINST_KEY"]).rsplit("\\", 1)[1]),
                   (locale["PackageName"], reg["DisplayName"]), (locale["Publisher"], reg["Publisher"]),
                   ((installer["PackageVersion"], version), (reg["DisplayVersion"],) * 2),
                   ((f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}", bool(flags & 2)),
                    (defines["VERSION"], bool(stage))),
                   (installer["PackageIdentifier"].endswith(".Beta"), bool(stage)),
                   (installer["ExpectedReturnCodes"][0]["InstallerReturnCode"],
                    int(resolve(re.search(r"still running.*?SetErrorLevel (\S+)", nsi, re.S)[1])))]:
    assert seen == want, (seen, want)
assert locale["PackageUrl"] == scoop["homepage"] != installer["Installers"][0]["InstallerUrl"].rsplit("/", 1)[0]
assert locale["ReleaseNotesUrl"].endswith("/CHANGELOG.md") and f"## [{version}]" in (ROOT / "CHANGELOG.md").read_text()
print("manifests valid, hashes match")
