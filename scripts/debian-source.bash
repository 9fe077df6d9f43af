# Sourced by the scripts that cross-build a library from Debian's own source.
#
# debian_source_download PACKAGE VERSION WORK
#   Downloads the source package PACKAGE of exactly VERSION into WORK/src,
#   from the mirrors this machine already uses (security updates included),
#   with apt on a private source list, state and cache under WORK: nothing in
#   /etc or /var is read for sources or written, and no root is needed.
debian_source_download() {
  local package=$1 version=$2 work=$3
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
  apt-get indextargets --format '$(REPO_URI) $(CODENAME)' | sort -u |
    awk '$2 != "" { print "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] " $1 " " $2 " main" }' \
      >"$work/apt/sources.list"
  [[ -s $work/apt/sources.list ]] || { echo "no Debian mirror in the apt sources" >&2; return 1; }
  local apt_private=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
                     -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache"
                     -o Debug::NoLocking=1 -qq)
  # apt's download user cannot enter a private folder of root's.
  [[ $(id -u) -ne 0 ]] || apt_private+=(-o APT::Sandbox::User=root)
  apt-get "${apt_private[@]}" update
  (cd "$work/src" && apt-get "${apt_private[@]}" source --download-only "$package=$version")
}
