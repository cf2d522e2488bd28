#!/usr/bin/env python3
# The generated winget and Scoop manifests validate against the published schemas (kept in
# ../shared/packaging beside the project), name the SHA-256 of the files they point at, keep
# the rules of winget's and Scoop's repositories, and repeat what the installer and the
# program's files say of themselves.
# Usage: manifests_test.py DIST_DIR
import hashlib, json, pathlib, re, struct, sys, zipfile

import jsonschema
import yaml

ROOT = pathlib.Path(__file__).absolute().parents[2]
SCHEMAS = ROOT.parent / "shared" / "packaging"
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

# Scoop: only the settings folder is linked; the INI files are copied, never linked.
path = r'"\$(\w+)\\([\w.]+)"'  # "$variable\file"
hook = re.compile(rf"if \(Test-Path {path}\) \{{ Copy-Item {path} {path} -Force \}}")
def copies(lines):
    found = [hook.fullmatch(line) for line in lines]
    assert all(m and m.group(1, 2) == m.group(3, 4) and m[4] == m[6] for m in found), lines
    return sorted((m[3], m[5], m[4]) for m in found)
assert scoop["persist"] in ("settings", ["settings"]), scoop["persist"]
for name, src, dst in [("post_install", "persist_dir", "dir"), ("pre_uninstall", "dir", "persist_dir")]:
    assert copies(scoop[name]) == [(src, dst, f) for f in ("tessara.ini", "tswin.ini")], scoop[name]
assert not {"pre_install", "post_uninstall", "uninstaller"} & scoop.keys(), scoop.keys()
order = ["version", "description", "homepage", "license", "notes", "architecture", "bin", "shortcuts",
         "persist", "pre_install", "post_install", "pre_uninstall", "checkver", "autoupdate"]
assert list(scoop) == [k for k in order if k in scoop], list(scoop)
url = scoop["architecture"]["64bit"]["url"]
version = scoop["version"]
assert scoop["autoupdate"]["architecture"]["64bit"]["url"].replace("$version", version) == url
assert re.search(scoop["checkver"]["regex"], url.rsplit("/", 1)[1])[1] == version

# winget: the installer's values, as the NSIS script resolves them from its one source.
nsi = (ROOT / "scripts" / "tessara.nsi").read_text(encoding="utf-8")
text = (ROOT / "res" / "release.nsh").read_text(encoding="utf-8") + nsi
defines = dict(re.findall(r'^!define (\w+) "(.*)"$', text, re.M))
cmake = (ROOT / "cmake" / "version.cmake").read_text(encoding="utf-8")
defines["VERSION"], stage = (re.search(rf"^set\(TESSARA_{k} \"?([\w.]*)\"?\)", cmake, re.M)[1]
                              for k in ("VERSION", "STAGE"))
resolve = lambda s: re.sub(r"\$\{(\w+)\}", lambda m: resolve(defines[m[1]]), s)
reg = {k: resolve(v) for k, v in re.findall(r'WriteRegStr HKCU "\$\{UNINST_KEY\}" "(\w+)" "(.*)"', nsi)}
installer, locale = kinds["installer"], kinds["defaultLocale"]
def fixed_version(data):  # VS_FIXEDFILEINFO: file version and the pre-release flag
    ms, ls, flags = struct.unpack_from("<2I12xI", data, data.index(struct.pack("<I", 0xFEEF04BD)) + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}", bool(flags & 2)
exe = zipfile.ZipFile(dist / url.rsplit("/", 1)[1]).read("tessara.exe")
setup_url = installer["Installers"][0]["InstallerUrl"]
setup = (dist / setup_url.rsplit("/", 1)[1]).read_bytes()
in_use = resolve(re.search(r"still running.*?SetErrorLevel (\S+)", nsi, re.S)[1])
for seen, want in [
        (installer["ProductCode"], resolve(defines["UNINST_KEY"]).rsplit("\\", 1)[1]),
        (locale["PackageName"], reg["DisplayName"]), (locale["Publisher"], reg["Publisher"]),
        (installer["PackageVersion"], reg["DisplayVersion"]), (version, reg["DisplayVersion"]),
        (fixed_version(exe), (defines["VERSION"], bool(stage))),
        (fixed_version(setup)[0], defines["VERSION"]),
        (installer["PackageIdentifier"].endswith(".Beta"), bool(stage)),
        (installer["ExpectedReturnCodes"],
         [{"InstallerReturnCode": int(in_use), "ReturnResponse": "packageInUse"}]),
        (installer["InstallationMetadata"]["DefaultInstallLocation"],
         resolve(re.search(r'^InstallDir "(.*)"', nsi, re.M)[1]).replace("$LOCALAPPDATA", "%LOCALAPPDATA%"))]:
    assert seen == want, (seen, want)
assert "AppsAndFeaturesEntries" not in installer and "silentWithProgress" in installer["InstallModes"]
assert all(locale.get(k) for k in ("Moniker", "Tags", "PublisherUrl", "ReleaseNotesUrl")), locale
page = locale["PackageUrl"]
assert page == scoop["homepage"] != setup_url.rsplit("/", 1)[0] and version not in page, page
assert locale["ReleaseNotesUrl"].endswith("/CHANGELOG.md"), locale["ReleaseNotesUrl"]
assert f"## [{version}]" in (ROOT / "CHANGELOG.md").read_text(encoding="utf-8"), "no CHANGELOG.md entry"
print("manifests valid, hashes match")
