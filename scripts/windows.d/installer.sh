# The Windows installer, made with NSIS from the runnable folder. Sourced by scripts/windows;
# installer.nsi also sources it, through makensis's !system, for installer_file_lists.

# installer_file_lists DEPLOY_DIR OUT
# Writes to OUT two NSIS macros naming each file of DEPLOY_DIR: one installs them, the other
# removes exactly those, so an uninstall never deletes a file it did not put there.
installer_file_lists() {
  local deploy="$1" out="$2" rel dir last=""
  [ -f "$deploy/vq-r310ntx.exe" ] || { echo "installer: $deploy holds no vq-r310ntx.exe" >&2; return 1; }
  local files dirs
  files="$(cd "$deploy" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)" || return 1
  # Deepest folders first; RMDir without /r leaves a folder that still holds anything else.
  dirs="$(cd "$deploy" && find . -mindepth 1 -type d | sed 's|^\./||' |
    awk -F/ '{ print NF "\t" $0 }' | LC_ALL=C sort -rn | cut -f2-)" || return 1
  # NSIS reads $ and quotes in a path as its own syntax; the folder needs no such names.
  if grep -v '^[A-Za-z0-9._+/-]*$' <<<"$deploy
$files" >&2; then
    echo "installer: the file names above cannot go into the installer as they are" >&2
    return 1
  fi
  {
    echo '!macro VQ_INSTALL_FILES'
    while IFS= read -r rel; do
      dir="$(dirname "$rel")"
      if [ "$dir" != "$last" ]; then
        if [ "$dir" = . ]; then echo '  SetOutPath "$INSTDIR"'; else echo "  SetOutPath \"\$INSTDIR\\${dir//\//\\}\""; fi
        last="$dir"
      fi
      echo "  File \"$deploy/$rel\""
    done <<<"$files"
    echo '  SetOutPath "$INSTDIR"'
    echo '!macroend'
    echo '!macro VQ_REMOVE_FILES'
    while IFS= read -r rel; do
      echo "  Delete \"\$INSTDIR\\${rel//\//\\}\""
    done <<<"$files"
    while IFS= read -r dir; do
      [ -n "$dir" ] && echo "  RMDir \"\$INSTDIR\\${dir//\//\\}\""
    done <<<"$dirs"
    echo '!macroend'
  } >"$out"
}

# build_installer DEPLOY_DIR VERSION OUTFILE
build_installer() {
  local deploy="$1" version="$2" outfile="$3"
  [[ "$version" =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || {
    echo "installer: '$version' is not a version of the form 1.2.3" >&2
    return 1
  }
  [ -f "$deploy/vq-r310ntx.exe" ] || { echo "installer: $deploy holds no vq-r310ntx.exe" >&2; return 1; }
  deploy="$(realpath "$deploy")"
  mkdir -p "$(dirname "$outfile")" || return 1
  outfile="$(realpath -m "$outfile")"
  rm -f "$outfile"
  makensis -V2 -DDEPLOY="$deploy" -DVERSION="$version" -DOUTFILE="$outfile" \
    "$ROOT/packaging/windows/installer.nsi" >&2 || {
    rm -f "$outfile"
    echo "installer: makensis failed" >&2
    return 1
  }
  [ -s "$outfile" ] || { echo "installer: makensis made no $outfile" >&2; return 1; }
}

# build_zip DEPLOY_DIR OUTFILE
# The runnable folder as a zip for PCs where nothing may be installed: one top folder,
# VQ-R310NTX/, holding exactly the folder's files. Written beside OUTFILE and moved into place,
# so a failed run leaves no half-made zip.
build_zip() {
  local deploy="$1" outfile="$2" stage
  [ -f "$deploy/vq-r310ntx.exe" ] || { echo "zip: $deploy holds no vq-r310ntx.exe" >&2; return 1; }
  deploy="$(realpath "$deploy")"
  mkdir -p "$(dirname "$outfile")" || return 1
  outfile="$(realpath -m "$outfile")"
  stage="$(mktemp -d)" || return 1
  # Copies, not links: cmake's archiver would store a link as a link.
  if cp -a "$deploy" "$stage/VQ-R310NTX" &&
     (cd "$stage" && cmake -E tar cf "$outfile.new" --format=zip VQ-R310NTX) &&
     mv -f "$outfile.new" "$outfile"; then
    rm -rf "$stage"
  else
    rm -rf "$stage" "$outfile.new"
    echo "zip: making $outfile failed" >&2
    return 1
  fi
}
