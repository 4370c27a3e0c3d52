#!/usr/bin/env bash
# Checks the Debian packages as Debian and the users of a machine meet them:
# makes them from the build folder, runs lintian and the validators,
# installs them with apt, lets two users of its own (made here, removed
# after) start the program under Xvfb, mark a file and run their keepers
# apart, then purges the packages and compares the system's files with
# those before. Needs root (apt, useradd): CI runs it on a fresh machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# It installs packages and makes users: as root, through sudo if need be.
if [ "$(id -u)" -ne 0 ]; then exec sudo bash "$0" "$@"; fi
bash "$root/scripts/packages.sh" > /dev/null
debs=("$root/build/packages"/*.deb)
names=()
for deb in "${debs[@]}"; do
    names+=("$(dpkg-deb -f "$deb" Package)")
    printf '%-40s %8s bytes, installed %6s KiB\n' "$(basename "$deb")" "$(stat -c %s "$deb")" \
        "$(dpkg-deb -f "$deb" Installed-Size)"
done

scratch=$(mktemp -d)
chmod 755 "$scratch"
users=(emblix-check-a emblix-check-b)
xvfb=""
cleanup() {
    for user in "${users[@]}"; do
        pkill -u "$user" 2> /dev/null || true
        sleep 0.5
        id "$user" > /dev/null 2>&1 && userdel -r "$user" > /dev/null 2>&1 || true
    done
    [ -n "$xvfb" ] && kill "$xvfb" 2> /dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
# lintian: no error, and only the warnings explained in the packaging folder.
# Its working files stay in the scratch folder.
report=$(TMPDIR="$scratch" lintian --pedantic -I "${debs[@]}" 2> /dev/null | grep -v '^N:' || true)
explained=$(grep -v '^#' "$root/packaging/linux/debian/lintian-warnings" | grep . || true)
unexplained=$(echo "$report" | grep -E '^[EW]: ' | while read -r kind package tag rest; do
    if [ "$kind" = "E:" ] || ! grep -qxF "$tag" <<< "$explained"; then echo "$kind $package $tag $rest"; fi
done)
echo "$report" | grep -E '^[EW]: ' || true
[ -z "$unexplained" ] || { echo "lintian: not allowed:"; echo "$unexplained"; exit 1; }
echo "lintian: no error; $(echo "$report" | grep -c '^W: ') explained warnings, $(echo "$report" | grep -c '^[IP]: ') notes"
appstreamcli validate --no-net "$root/packaging/linux/org.emblix.EmblixManager.metainfo.xml" > /dev/null
desktop-file-validate "$root/packaging/linux/emblix-manager.desktop"

for user in "${users[@]}"; do
    useradd -m -s /bin/bash "$user"
done

# Compared before and after: what the system holds, less the backups that
# useradd leaves in /etc. An earlier run's packages go first.
# Each path carries its type (d for a folder).
listing() { find /usr /etc /opt -xdev -printf '%y %p\n' 2> /dev/null | grep -v -e '^. /etc/.*-$' | LC_ALL=C sort; }
dpkg --purge "${names[@]}" > /dev/null 2>&1 || true
listing > "$scratch/before"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${debs[@]}" > "$scratch/apt.log" 2>&1 \
    || { cat "$scratch/apt.log"; exit 1; }
# dpkg's triggers made the program known to the desktop.
grep -q 'application/x-emblix-theme-package=.*emblix-manager.desktop' /usr/share/applications/mimeinfo.cache
[ -f /usr/share/mime/application/x-emblix-theme-package.xml ]
man -w emblix-badge emblix-keeper emblix-manager > /dev/null
completed=$(bash -c 'source /usr/share/bash-completion/bash_completion
    COMP_WORDS=(emblix-badge s) COMP_CWORD=1 COMP_LINE="emblix-badge s" COMP_POINT=14
    __load_completion emblix-badge && _emblix_badge && echo "${COMPREPLY[*]}"')
[ "$completed" = "set show sync" ] || { echo "bash completes 'emblix-badge s' as '$completed'"; exit 1; }

exec 3> "$scratch/display"
Xvfb -displayfd 3 -ac -noreset -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=":$(cat "$scratch/display")"

# What each user does, in a session of their own: badge n on a file named
# as a hostile user would, the window shown, the keeper following a rename.
cat > "$scratch/user.sh" << 'EOF'
set -euo pipefail
program="$HOME/.local/share/emblix-manager/program"
# base.ini ends its lines as Windows does.
has_record() { tr -d '\r' < "$program/base.ini" | grep -qxF "$1"; }
file="$HOME/-my \$(notes) 'n' 100%.txt"
printf 'notes' > "$file"
emblix-badge set "$BADGE" -- "$file"
has_record "$file=$BADGE"
gio info -a metadata::emblems "$file" 2> /dev/null | grep -q "emblix-badge-$BADGE"
emblix-manager &
manager=$!
for _ in $(seq 100); do xwininfo -root -tree | grep -q '"Emblix Manager' && break; sleep 0.1; done
xwininfo -root -tree | grep -q '"Emblix Manager' || { echo "$USER: no window"; exit 1; }
kill "$manager"
emblix-keeper &
keeper=$!
for _ in $(seq 100); do [ -s "$HOME/.local/share/emblix-manager/keeper.lock" ] && break; sleep 0.1; done
sleep 1
mv -- "$file" "$file.moved"
for _ in $(seq 200); do has_record "$file.moved=$BADGE" && break; sleep 0.1; done
has_record "$file.moved=$BADGE" || { echo "$USER: the record did not follow"; exit 1; }
kill "$keeper"
wait
EOF
badge=3
for user in "${users[@]}"; do
    runtime="$scratch/runtime-$user"
    install -d -m 700 -o "$user" "$runtime"
    runuser -u "$user" -- env -i HOME="/home/$user" USER="$user" PATH=/usr/bin:/bin DISPLAY="$display" \
        XDG_RUNTIME_DIR="$runtime" BADGE="$badge" dbus-run-session -- bash "$scratch/user.sh"
    badge=$((badge + 4))
done
# Each user's records and settings are their own.
a=/home/${users[0]}/.local/share/emblix-manager/program
b=/home/${users[1]}/.local/share/emblix-manager/program
grep -q "=3.$" "$a/base.ini" && ! grep -q "=7.$" "$a/base.ini"
grep -q "=7.$" "$b/base.ini" && ! grep -q "=3.$" "$b/base.ini"
[ "$(stat -c %U "$a/settings.ini")" = "${users[0]}" ] && [ "$(stat -c %U "$b/settings.ini")" = "${users[1]}" ]
[ "$(stat -c %a "$a")" = 700 ]

# Removed first, as a user would, then purged (dpkg: packages from files
# are not in apt's lists once removed).
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "${names[@]}" > "$scratch/apt.log" 2>&1 \
    || { cat "$scratch/apt.log"; exit 1; }
dpkg --purge "${names[@]}" > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; exit 1; }
listing > "$scratch/after"
added=$(LC_ALL=C comm -13 "$scratch/before" "$scratch/after")
[ -z "$added" ] || { echo "$added"; echo "apt purge left the files above"; exit 1; }
# dpkg takes over a folder that stood empty before the install (a file
# manager's extension folder another extension left, say) and removes it
# with the package: no trace of ours, nothing of anyone's. Anything else
# gone is a loss.
shipped=$(for deb in "${debs[@]}"; do dpkg-deb -c "$deb"; done | awk '$1 ~ /^d/ { sub(/^\./, "", $6); sub(/\/$/, "", $6); print "d " $6 }')
gone=$(LC_ALL=C comm -23 "$scratch/before" "$scratch/after")
lost=$(grep -vxF -f <(echo "$shipped") <<< "$gone" || true)
[ -z "$lost" ] || { echo "$lost"; echo "apt purge removed the files above, which were there before"; exit 1; }
[ -z "$gone" ] || echo "empty folders there before, taken over and removed by dpkg: $(sed 's/^d //' <<< "$gone" | tr '\n' ' ')"
# What the users made stays theirs.
[ -f "$a/base.ini" ]
echo "packages: ${names[*]}: lintian clean, installed, used by two users apart, purged without a trace"
