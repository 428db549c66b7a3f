#!/usr/bin/env bash
# Installs exactly the Debian packages Quillstone needs to build, test and run.
# Idempotent and non-interactive; does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev adwaita-icon-theme
  nlohmann-json3-dev libplist-dev libicu-dev libsystemd-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  dbus dbus-bin libglib2.0-bin
  locales xvfb procps
  original-awk perl-base python3
  libxcb1-dev libxcb-damage0-dev
  at-spi2-core python3-pyatspi python3-xlib python3-pil pngquant
  trayer xdotool
  desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The collation tests run under en_US as well as C.UTF-8; the status panel's
# times are checked under en_US (12-hour) and de_DE (24-hour).
for wanted in en_US de_DE; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf8\$" && [ -f /etc/locale.gen ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
  fi
done

# The administrator commands run the same command lines as on macOS: they name
# /usr/sbin/chown (Debian keeps chown in /bin only) and the group wheel (Fedora
# and Arch have one, Debian none).
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ! -e /usr/sbin/chown ] && [ -x /bin/chown ]; then
  "${sudo_cmd[@]}" ln -s /bin/chown /usr/sbin/chown
fi
if ! getent group wheel >/dev/null; then
  "${sudo_cmd[@]}" groupadd --system wheel
fi
