#!/bin/sh
# Runs one test with a settings folder and a home of its own, removed afterwards.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
XDG_CONFIG_HOME="$dir/config" HOME="$dir/home" "$@"
