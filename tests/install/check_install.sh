#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks that everything lands where
# the desktop looks for it, valid: program, help page, launcher, icon and AppStream data.
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" > /dev/null
for file in bin/tallyvane lib/tallyvane/tallyvane-window.so share/tallyvane/TallyvaneHelp.html \
            share/applications/tallyvane.desktop share/icons/hicolor/scalable/apps/tallyvane.svg \
            share/metainfo/org.tallyvane.Tallyvane.metainfo.xml; do
  [[ -f "$prefix/$file" ]] || { echo "missing: $file"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/tallyvane.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tallyvane.Tallyvane.metainfo.xml" > /dev/null
[[ "$("$prefix/bin/tallyvane" --version)" == "tallyvane 3.0.5" ]]
# The installed program finds its window: still showing it when the time is up.
status=0
XDG_CONFIG_HOME="$prefix/config" QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/tallyvane" "$prefix/share" \
  > /dev/null 2>&1 || status=$?
[[ $status == 124 ]] || { echo "the installed window did not start (exit status $status)"; exit 1; }
echo "installed and valid"
