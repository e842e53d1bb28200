#!/usr/bin/env bash
# Brings up a private 32-bit Wine without touching dpkg's database.
#
# Debian's wine32:i386 cannot be installed through multi-arch on this kind of
# machine (the i386 security index lags the amd64 one), so the i386 packages are
# resolved and downloaded with a private apt configuration, unpacked with
# dpkg-deb -x into a private root, and started through the system's 32-bit
# loader (libc6-i386, pinned to the installed libc6).
#
# Usage: setup-wine32.sh [ROOT]     (default /opt/quorbel-wine32)
# On success prints the path of the launcher ROOT/bin/wine32; exits non-zero
# with a reason otherwise.
set -euo pipefail

root=${1:-${QUORBEL_WINE32_ROOT:-/opt/quorbel-wine32}}
launcher=$root/bin/wine32
if [ -x "$launcher" ] && [ -f "$root/.complete" ]; then
  echo "$launcher"; exit 0
fi

say() { echo "setup-wine32: $*" >&2; }

# The 32-bit loader is the one system piece; match the installed libc6 exactly.
if [ ! -e /lib/ld-linux.so.2 ]; then
  libc_version=$(dpkg-query -W -f='${Version}' libc6)
  say "installing libc6-i386=$libc_version for /lib/ld-linux.so.2"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    "libc6-i386=$libc_version" >&2
fi

apt_dir=$root/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/etc/preferences.d" \
         "$apt_dir/etc/apt.conf.d" "$root/sys"
: > "$apt_dir/status"
cp -r /etc/apt/sources.list.d "$apt_dir/etc/" 2>/dev/null || true
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$apt_dir/etc/sources.list" || : > "$apt_dir/etc/sources.list"
# Only Debian's own archives: other repositories carry no i386 wine.
find "$apt_dir/etc/sources.list.d" -type f ! -name 'debian.sources' -delete 2>/dev/null || true
sed -i '/^deb .*debian\.org/!d' "$apt_dir/etc/sources.list"

apt_opts=(
  -o "APT::Architecture=i386" -o "APT::Architectures::=i386"
  -o "Dir::State=$apt_dir" -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::State::status=$apt_dir/status"
  -o "Dir::Cache=$apt_dir" -o "Dir::Cache::Archives=$apt_dir/archives"
  -o "Dir::Etc::SourceList=$apt_dir/etc/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/etc/sources.list.d"
  -o "Dir::Etc::Preferences=$apt_dir/etc/preferences"
  -o "Dir::Etc::PreferencesParts=$apt_dir/etc/preferences.d"
  -o "Dir::Etc::Parts=$apt_dir/etc/apt.conf.d"
  -o "APT::Install-Recommends=false" -o "APT::Get::AllowUnauthenticated=false"
)
say "resolving wine32:i386 with a private apt configuration"
apt-get "${apt_opts[@]}" update >&2 || say "apt-get update reported a failure; trying with the indexes it has"
apt-get "${apt_opts[@]}" install -y --download-only wine32 >&2

say "unpacking $(ls "$apt_dir/archives"/*.deb | wc -l) packages"
for deb in "$apt_dir/archives"/*.deb; do dpkg-deb -x "$deb" "$root/sys"; done

# libwine's maintainer script installs zlib1.dll as a builtin; user32 needs it.
win_dir=$root/sys/usr/lib/i386-linux-gnu/wine/i386-windows
zlib_in=$(ls "$root"/sys/usr/i686-w64-mingw32/lib/zlib*.dll /usr/i686-w64-mingw32/lib/zlib*.dll 2>/dev/null | head -n 1 || true)
if [ -n "$zlib_in" ]; then
  out=$win_dir/$(basename "$zlib_in")
  { head -c 64 "$zlib_in"; printf 'Wine builtin DLL'; printf '\0%.0s' $(seq 16); tail -c +97 "$zlib_in"; } > "$out"
else
  say "no zlib1.dll found: user32 may fail to load"
fi

wine_bin=$root/sys/usr/lib/wine/wine
[ -x "$wine_bin" ] || { say "wine loader not found in the unpacked root"; exit 1; }
libs=$root/sys/usr/lib/i386-linux-gnu:$root/sys/lib/i386-linux-gnu:$root/sys/usr/lib/i386-linux-gnu/wine/i386-unix
mkdir -p "$root/bin"
cat > "$launcher" <<LAUNCH
#!/bin/sh
# 32-bit Wine from the private root, started directly so that the kernel runs
# /lib/ld-linux.so.2 as its interpreter and Wine finds its files beside itself.
export LD_LIBRARY_PATH="$libs\${LD_LIBRARY_PATH:+:\$LD_LIBRARY_PATH}"
export WINEARCH=win32
export WINEPREFIX="\${WINE32PREFIX:-$root/prefix}"
export WINEDEBUG="\${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="\${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$wine_bin" "\$@"
LAUNCH
chmod +x "$launcher"
touch "$root/.complete"
echo "$launcher"
