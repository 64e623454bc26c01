"""The release's software bill of materials, in SPDX 2.3 JSON: each exe, with its SHA-256, made of
the program at its commit and of what the toolchain linked into it, each a Debian package with its
version and the licences its copyright file declares.

    sbom.py OUT VERSION COMMIT CREATED EXE SHA256 LINKED [EXE SHA256 LINKED]...

LINKED is a file of lines "PACKAGE VERSION ARCHITECTURE": the Debian packages whose files the
exe's link read. CREATED is the commit's time, so that the same commit gives the same file.
"""

import json
import re
import sys


def licences(package):
    """The licences a package's copyright file declares, in its License: fields, each once."""
    names = []
    try:
        with open(f"/usr/share/doc/{package}/copyright", encoding="utf-8", errors="replace") as text:
            for line in text:
                if line.startswith("License:") and line[8:].strip():
                    name = line[8:].strip()
                    if name not in names:
                        names.append(name)
    except OSError:
        pass
    return names


def licence_ref(name):
    """An SPDX licence reference for a licence named as Debian names it: GPL-3+ and the like."""
    return "LicenseRef-Debian-" + re.sub(r"[^A-Za-z0-9.]+", "-", name.replace("+", "-plus")).strip("-")


def spdx_id(*parts):
    return "SPDXRef-" + re.sub(r"[^A-Za-z0-9.]+", "-", "-".join(parts))


def main(out, version, commit, created, *exes):
    packages, relationships, extracted = [], [], {}
    source = spdx_id("Pelorin-source", commit)
    packages.append({
        "SPDXID": source, "name": "Pelorin", "versionInfo": commit,
        "downloadLocation": "NOASSERTION", "filesAnalyzed": False,
        "primaryPackagePurpose": "SOURCE", "licenseConcluded": "NOASSERTION",
        "licenseDeclared": "NOASSERTION", "copyrightText": "NOASSERTION",
        "comment": f"The program's source at commit {commit}.",
    })
    linked = {}
    for name, sha256, linked_file in zip(exes[0::3], exes[1::3], exes[2::3]):
        exe = spdx_id(name)
        packages.append({
            "SPDXID": exe, "name": name, "versionInfo": version, "downloadLocation": "NOASSERTION",
            "filesAnalyzed": False, "primaryPackagePurpose": "APPLICATION",
            "checksums": [{"algorithm": "SHA256", "checksumValue": sha256}],
            "licenseConcluded": "NOASSERTION", "licenseDeclared": "NOASSERTION",
            "copyrightText": "NOASSERTION",
        })
        relationships.append({"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                              "relatedSpdxElement": exe})
        relationships.append({"spdxElementId": exe, "relationshipType": "CONTAINS",
                              "relatedSpdxElement": source})
        with open(linked_file, encoding="utf-8") as lines:
            for line in lines:
                package, package_version, architecture = line.split()
                key = spdx_id("deb", package, package_version, architecture)
                linked[key] = (package, package_version, architecture)
                relationships.append({"spdxElementId": exe, "relationshipType": "STATIC_LINK",
                                      "relatedSpdxElement": key})
    for key, (package, package_version, architecture) in sorted(linked.items()):
        names = licences(package)
        for name in names:
            extracted[licence_ref(name)] = {
                "licenseId": licence_ref(name), "name": name,
                "extractedText": f"{name}, as the Debian package {package}'s copyright file "
                                 f"(/usr/share/doc/{package}/copyright) names it"}
        packages.append({
            "SPDXID": key, "name": package, "versionInfo": package_version,
            "supplier": "Organization: Debian", "downloadLocation": "NOASSERTION",
            "filesAnalyzed": False, "primaryPackagePurpose": "LIBRARY",
            "licenseConcluded": "NOASSERTION",
            "licenseDeclared": " AND ".join(map(licence_ref, names)) or "NOASSERTION",
            "copyrightText": "NOASSERTION",
            "externalRefs": [{
                "referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                "referenceLocator": f"pkg:deb/debian/{package}@{package_version}?arch={architecture}"}],
        })
    document = {
        "spdxVersion": "SPDX-2.3", "dataLicense": "CC0-1.0", "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"Pelorin-{version}", "documentNamespace": f"urn:pelorin:release:{version}:{commit}",
        "creationInfo": {"created": created, "creators": ["Tool: Pelorin scripts/release"]},
        "packages": packages, "relationships": relationships,
        "hasExtractedLicensingInfos": sorted(extracted.values(), key=lambda e: e["licenseId"]),
    }
    with open(out, "w", encoding="utf-8") as file:
        json.dump(document, file, indent=2)
        file.write("\n")


if __name__ == "__main__":
    main(*sys.argv[1:])
