#!/usr/bin/env bash
# Writes corvane-cli's man page from its own help texts with help2man, so that
# the page says what --help says: the program's help, then each command's.
# Dated by SOURCE_DATE_EPOCH when it is set, and gzipped without a timestamp.
set -euo pipefail
cli="$1" rules="$2" out="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

roff_text() { sed -e 's/\\/\\e/g' -e 's/^\([.'"'"']\)/\\\&\1/' -e 's/-/\\-/g'; }
{
  echo "[COMMANDS]"
  "$cli" --help | sed -n '/^commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }' | while read -r command; do
    echo ".SS $command"
    echo ".nf"
    "$cli" "$command" --help | roff_text
    echo ".fi"
  done
  echo "[FILES]"
  echo ".TP"
  echo "/usr/lib/udev/rules.d/$(basename "$rules")"
  echo "lets the user at the console and members of the plugdev group use the card"
  echo "writer (USB vendor 0483, product a2a1) without root. Plug the writer in again"
  echo "after installing, or run: udevadm trigger"
} >"$work/commands.h2m"

help2man --no-info --section 1 --name "prepare sample cards for the Corvane card writer" \
  --include "$work/commands.h2m" --output "$work/corvane-cli.1" "$cli"
gzip -9 -n -c "$work/corvane-cli.1" >"$out"
