#!/usr/bin/env bash
# The hall of fame shared through real network folders: one folder served over SFTP (sshd, mounted
# twice with sshfs) and over SMB (Samba, mounted twice with smbnetfs), each mount its own client
# with its own caches, as two computers would have them. Copies of the simulator end their games
# at once through both mounts, a few of them killed: every entry a copy reported stored is in the
# table exactly once, the table reads whole, no copy is refused while none is killed, and nothing
# but the table is left beside it. A share kind whose tools are missing is skipped, and says so.
#
# usage: network_shares.sh SIMULATOR        (exit 77: skipped, both kinds)
set -u
sim=$1
writers=${TALOMIR_SHARE_WRITERS:-8}
work=$(mktemp -d /tmp/talomir-shares.XXXXXX)
pids=()
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do fusermount3 -u "$m" 2>/dev/null || umount -l "$m" 2>/dev/null; done
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A short game: every figure dropped at once, forty ticks apart, until the well is full.
printf 'drop\ntick 40\n%.0s' $(seq 60) > "$work/game"
skipped=0
failed=0
skip() { echo "SKIPPED $1: $2"; skipped=$((skipped + 1)); }
fail() { echo "FAILED $1"; failed=$((failed + 1)); }
have() { for t in "$@"; do command -v "$t" >/dev/null || [ -x "/usr/sbin/$t" ] || return 1; done; }
mounted() { for _ in $(seq 50); do mountpoint -q "$1" && [ -d "$2" ] && return 0; sleep 0.2; done; return 1; }

# The names of a table file, one a line; fails when it does not read whole (every line ended by
# CR LF, pairs of a name and a printed number).
names() {
  [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 0d0a ] || return 1
  ! grep -qv $'\r$' "$1" || return 1
  ! awk 'NR % 2 == 0' "$1" | grep -qvE $'^[ -][0-9]+ \r$' || return 1
  [ $(($(wc -l < "$1") % 2)) -eq 0 ] || return 1
  awk 'NR % 2 == 1 { sub(/\r$/, ""); print }' "$1"
}

# round KIND ROUND KILLS MOUNT-A MOUNT-B SHARE-FOLDER
round() {
  local kind=$1 r=$2 kills=$3 a=$4 b=$5 share=$6
  local sub="r$r" i
  mkdir "$share/$sub" && printf 'Zarno\r\n 0 \r\n' > "$share/$sub/TalomirFathers.txt"
  sleep 0.3
  local procs=()
  exec 3>&2 2> /dev/null  # the shell's notes of killed writers are not news
  for i in $(seq 0 $((writers - 1))); do
    local m=$a; [ $((i % 2)) -eq 1 ] && m=$b
    "$sim" --second 0 --table "$m/$sub/TalomirFathers.txt" --record "N${r}_$i" < "$work/game" \
      > /dev/null 2> "$work/err.$kind.$r.$i" &
    procs+=($!)
  done
  for i in $(seq 1 "$kills"); do
    sleep 0.$((RANDOM % 3))
    kill -9 "${procs[$((RANDOM % writers))]}" 2> /dev/null
  done
  local codes=() killed=0
  for i in $(seq 0 $((writers - 1))); do
    wait "${procs[$i]}"
    codes+=($?)
    [ "${codes[$i]}" -ne 137 ] || killed=$((killed + 1))
  done
  exec 2>&3 3>&-
  sleep 0.5  # the mounts' last releases reach the server
  local table="$share/$sub/TalomirFathers.txt" list
  if [ ! -f "$table" ]; then fail "$kind round $r: the table is gone"; return; fi
  if ! list=$(names "$table"); then fail "$kind round $r: the table does not read whole"; return; fi
  for i in $(seq 0 $((writers - 1))); do
    local n
    n=$(grep -cx "N${r}_$i" <<< "$list")
    if [ "${codes[$i]}" -eq 0 ] && [ "$n" -ne 1 ]; then
      fail "$kind round $r: writer $i reported its entry stored, the table holds it $n times"
    elif [ "${codes[$i]}" -ne 0 ] && [ "${codes[$i]}" -ne 137 ] && [ "$kills" -eq 0 ]; then
      fail "$kind round $r: writer $i refused: $(cat "$work/err.$kind.$r.$i")"
    fi
  done
  local left
  left=$(ls -A "$share/$sub" | grep -vx TalomirFathers.txt)
  [ "$kills" -gt 0 ] && left=$(grep -v '^TalomirFathers.txt.lock' <<< "$left")
  [ -z "$left" ] || fail "$kind round $r: left beside the table: $left"
  echo "$kind round $r: $writers writers, $killed killed, $(wc -l <<< "$list") entries"
}

if [ "$(id -u)" != 0 ]; then
  echo "SKIPPED both share kinds: serving and mounting them needs root"
  exit 77
fi
if [ ! -c /dev/fuse ]; then
  echo "SKIPPED both share kinds: no /dev/fuse"
  exit 77
fi

# SFTP: a private sshd on the loopback, its own key and authorized keys.
if ! have sshd sshfs ssh-keygen fusermount3; then
  skip sftp "sshd, sshfs or ssh-keygen is not installed (openssh-server, sshfs)"
else
  s=$work/sftp
  mkdir -p "$s/share" "$s/A" "$s/B" /run/sshd
  ssh-keygen -q -t ed25519 -N '' -f "$s/key" && cp "$s/key.pub" "$s/authorized_keys"
  ssh-keygen -q -t ed25519 -N '' -f "$s/host"
  port=$((20000 + RANDOM % 20000))
  cat > "$s/sshd_config" <<EOF
Port $port
ListenAddress 127.0.0.1
HostKey $s/host
AuthorizedKeysFile $s/authorized_keys
PermitRootLogin prohibit-password
PasswordAuthentication no
StrictModes no
Subsystem sftp internal-sftp
PidFile $s/sshd.pid
EOF
  /usr/sbin/sshd -D -f "$s/sshd_config" -E "$s/sshd.log" &
  pids+=($!)
  sleep 0.5
  ok=1
  for c in A B; do
    sshfs -o "IdentityFile=$s/key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,port=$port" \
      "root@127.0.0.1:$s/share" "$s/$c" 2> "$s/sshfs.$c" && mounts+=("$s/$c") || ok=0
  done
  if [ $ok = 0 ]; then
    skip sftp "sshfs could not mount: $(cat "$s/sshfs.A" "$s/sshfs.B" | head -2)"
  else
    round sftp 0 0 "$s/A" "$s/B" "$s/share"
    round sftp 1 2 "$s/A" "$s/B" "$s/share"
  fi
fi

# SMB: a private Samba on 127.0.0.1:445 (the only port smbnetfs reaches) and two smbnetfs mounts.
if ! have smbd pdbedit smbnetfs fusermount; then
  skip smb "smbd, pdbedit or smbnetfs is not installed (samba, smbnetfs)"
elif (exec 3<> /dev/tcp/127.0.0.1/445) 2> /dev/null; then
  skip smb "something already listens on 127.0.0.1:445"
else
  s=$work/smb
  mkdir -p "$s/share" "$s/srv/private" "$s/A" "$s/B"
  chmod 700 "$s/srv/private"
  cat > "$s/srv/smb.conf" <<EOF
[global]
  server role = standalone server
  interfaces = 127.0.0.1
  bind interfaces only = yes
  disable netbios = yes
  pid directory = $s/srv
  lock directory = $s/srv
  state directory = $s/srv
  cache directory = $s/srv
  private dir = $s/srv/private
  binddns dir = $s/srv/private
  ncalrpc dir = $s/srv/ncalrpc
  log file = $s/srv/log.%m
  passdb backend = tdbsam:$s/srv/private/passdb.tdb
  map to guest = never
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
  server min protocol = SMB2_10
[hof]
  path = $s/share
  read only = no
EOF
  password=Hof-$RANDOM$RANDOM
  printf '%s\n%s\n' "$password" "$password" |
    pdbedit --configfile="$s/srv/smb.conf" -a -u root -t > /dev/null 2>&1
  setsid smbd --foreground --no-process-group -s "$s/srv/smb.conf" > "$s/srv/smbd.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do (exec 3<> /dev/tcp/127.0.0.1/445) 2> /dev/null && break; sleep 0.2; done
  ok=1
  for c in A B; do
    h=$s/home$c
    mkdir -p "$h/.smb" && chmod 700 "$h/.smb"
    printf '[global]\n  client min protocol = SMB2_10\n  disable netbios = yes\n' > "$h/.smb/smb.conf"
    printf 'smb_query_browsers false\nuse_libsecret false\nshow_hidden_hosts true\n' > "$h/.smb/smbnetfs.conf"
    printf 'auth "127.0.0.1" "root" "%s"\nhost 127.0.0.1 visible=true\n' "$password" >> "$h/.smb/smbnetfs.conf"
    chmod 600 "$h/.smb/smbnetfs.conf"
    (cd "$h" && HOME=$h exec smbnetfs "$s/$c" -f -o "config=$h/.smb/smbnetfs.conf" \
       > /dev/null 2> "$s/smbnetfs.$c") &
    pids+=($!)
    mounts+=("$s/$c")
    mounted "$s/$c" "$s/$c/127.0.0.1/hof" || ok=0
  done
  if [ $ok = 0 ]; then
    skip smb "smbnetfs could not mount the share: $(head -2 "$s/smbnetfs.A")"
  else
    round smb 0 0 "$s/A/127.0.0.1/hof" "$s/B/127.0.0.1/hof" "$s/share"
    round smb 1 2 "$s/A/127.0.0.1/hof" "$s/B/127.0.0.1/hof" "$s/share"
  fi
fi

[ "$failed" -eq 0 ] || exit 1
[ "$skipped" -lt 2 ] || exit 77
exit 0
