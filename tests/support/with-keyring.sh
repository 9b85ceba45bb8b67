#!/bin/sh
# Runs a test on a D-Bus session bus of its own where an unlocked GNOME keyring answers as the
# secret service, and says so in VORLANIX_TEST_KEYRING ("missing" where the tools are not installed).
if ! command -v dbus-run-session >/dev/null 2>&1 || ! command -v gnome-keyring-daemon >/dev/null 2>&1; then
  VORLANIX_TEST_KEYRING=missing exec "$@"
fi
# The daemon keeps its control socket and keyrings under the (test's own) home.
mkdir -p "$HOME/.cache" "$HOME/.local/share"
exec dbus-run-session -- sh -c '
  printf pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 || VORLANIX_TEST_KEYRING=missing exec "$@"
  VORLANIX_TEST_KEYRING=1 exec "$@"' sh "$@"
