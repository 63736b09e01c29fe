#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks that everything lands where
# the desktop looks for it, valid: program, help page, launcher, icon and AppStream data.
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" > /dev/null
for file in bin/tallyvane share/tallyvane/TallyvaneHelp.html share/applications/tallyvane.desktop \
            share/icons/hicolor/scalable/apps/tallyvane.svg share/metainfo/org.tallyvane.Tallyvane.metainfo.xml; do
  [[ -f "$prefix/$file" ]] || { echo "missing: $file"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/tallyvane.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tallyvane.Tallyvane.metainfo.xml" > /dev/null
[[ "$("$prefix/bin/tallyvane" --version)" == "tallyvane 3.0.5" ]]
echo "installed and valid"
