# The temporary file of an existing output is made private by the one open
# that creates it, and gets the output's mode before anything is written to
# it; it is never opened again by name. Needs strace (and ptrace), so it
# stands alone: without them only this script is skipped.
. "$(dirname "$0")/lib.sh"

G=$SRC/tests/data/simulate/three_chr.fa
if have_strace; then
  for f in keep.fa keep.edits keep.fa.map; do echo "earlier $f" >"$f"; done
  chmod 640 keep.fa
  strace -f -e trace=open,openat,fchmod,write -o trace "$BIN" random_genome "$G" 1 0.1 1 keep 2>/dev/null
  CHECKS=$((CHECKS + 1))
  opens=$(grep '\.keep\.fa\.[0-9]*\.tmp' trace)
  [ "$(echo "$opens" | wc -l)" -eq 1 ] && echo "$opens" | grep -q 'O_EXCL.*, 0600)' ||
    fail "temporary file not made once and private: $opens"
  # The descriptor the create returned: its first call after the open is
  # the change of mode, not a write.
  fd=$(echo "$opens" | sed -n 's/.*= \([0-9]*\)$/\1/p')
  first=$(awk -v fd="$fd" 'found && ($2 ~ "^(fchmod|write)\\(" fd ",") { print $2; exit }
    /\.keep\.fa\.[0-9]*\.tmp/ { found = 1 }' trace)
  CHECKS=$((CHECKS + 1))
  case $first in fchmod*) ;; *) fail "temporary file written before its mode was set: $first" ;; esac
  CHECKS=$((CHECKS + 1))
  [ "$(stat -c %a keep.fa)" = 640 ] || fail "mode 640 not kept: $(stat -c %a keep.fa)"
fi
finish
