#!/usr/bin/env bash
# Drives scripts/setup's package decisions with stand-ins for apt-get, dpkg
# and dpkg-query: no root, no real package, no /etc/apt.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

mkdir -p "$work/bin" "$work/etc/sources.list.d"
printf 'Types: deb\nURIs: http://mirror.invalid/debian\nSuites: trixie trixie-updates\nComponents: main\n' \
  >"$work/etc/sources.list.d/debian.sources"

# apt-get: records each call; "update" fails as a mirror mid-sync does when
# UPDATE=fail; "install" fails with held broken packages unless its arguments
# match RESOLVED_BY (never, when empty).
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >>"$CALLS"
case "$1" in
update)
  [ "$UPDATE" = fail ] || exit 0
  echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/trixie-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100 ;;
install)
  [ -n "$RESOLVED_BY" ] && [[ " $* " == *" $RESOLVED_BY "* ]] && exit 0
  echo "The following packages have unmet dependencies:"
  echo " wine32:i386 : Depends: libwine:i386 (= 8.0) but it is not going to be installed"
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100 ;;
esac
STANDIN
printf '#!/bin/sh\necho "$*" >>"$CALLS"\n' >"$work/bin/dpkg"
printf '#!/bin/sh\n[ "$3" = installed-pkg ] && echo "install ok installed"\nexit 0\n' >"$work/bin/dpkg-query"
chmod +x "$work/bin/"*

# Runs setup's package steps in a shell of their own; CALLS, OUT and STATUS
# hold what apt-get was asked, what setup said and its exit status.
run_steps() {  # UPDATE RESOLVED_BY command...
  export UPDATE=$1 RESOLVED_BY=$2 CALLS=$work/calls
  shift 2
  : >"$CALLS"
  OUT=$(
    PATH=$work/bin:$PATH apt_etc=$work/etc setup_log=$work/apt.log bash -c '
      source "$0/scripts/setup-packages"
      sudo_cmd=()
      sleep() { :; }
      "$@"' "$top" "$@" 2>&1)
  STATUS=$?
}

check() {  # description, condition...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; echo "  setup said: $OUT"; failures=$((failures + 1)); fi
}
said() { grep -qF -- "$1" <<<"$OUT"; }
asked() { grep -qxF -- "$1" "$CALLS"; }
updates() { [ "$(grep -c '^update' "$CALLS")" -eq "$1" ]; }

run_steps fail "" install_missing installed-pkg wine32:i386 cmake
check "an update that always fails is tried three times and setup goes on" \
  eval '[ $STATUS -ne 0 ] && updates 3 && grep -q "^install" "$CALLS"'
check "the failed index is named with apt's reason, the mirror's address left out" \
  eval 'said "setup: warning: the package index trixie-security/main (i386) failed to download: File has unexpected size (374820 != 376004). Mirror sync in progress?" && ! said mirror.invalid && ! said 192.0.2.1'
check "only missing packages are installed, i386 added to dpkg first" \
  eval 'asked "--add-architecture i386" && said "setup: installing wine32:i386 cmake"'

run_steps ok "-t trixie wine32:i386" install_missing wine32:i386
check "unmet dependencies are retried with the main suite of the apt sources as target release" \
  eval '[ $STATUS -eq 0 ] && updates 1 && asked "install -y -qq --no-install-recommends -t trixie wine32:i386" &&
    said "setup: apt could not resolve the dependencies (Unable to correct problems, you have held broken packages.); trying again with trixie as the target release"'

run_steps ok "-t trixie qemu-user/trixie-backports" apt_install --from trixie-backports qemu-user
check "a backports package keeps backports as its source in the retry" \
  eval '[ $STATUS -eq 0 ] && asked "install -y -qq --no-install-recommends -t trixie-backports qemu-user" &&
    said "qemu-user still from trixie-backports"'

run_steps ok "" install_missing wine32:i386
check "an install the target release does not resolve stops with status 3 and says what to try" \
  eval '[ $STATUS -eq 3 ] && [ "$(grep -c "^install" "$CALLS")" -eq 2 ] &&
    [[ "$(tail -n 1 <<<"$OUT")" == "setup: run scripts/setup again later, when the package mirror has finished its sync; apt'"'"'s output is in $work/apt.log" ]] &&
    said "setup: cannot install wine32:i386: Unable to correct problems, you have held broken packages." &&
    grep -q "held broken packages" "$work/apt.log"'

echo "$failures failed"
[ $failures -eq 0 ]
