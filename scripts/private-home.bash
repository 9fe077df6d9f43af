# The environment of a Tellvane that shares nothing with the user's, for
# scripts that start the real program: sourced, it defines
#   private_home_env ROOT   prints the NAME=VALUE words for `env`, after
#                           making ROOT, which is the runtime folder too,
#                           private.
# The C++ tests' and benchmarks' twin is tests/support/private_home.h.
private_home_env() {
  local root=$1
  mkdir -p "$root" && chmod 700 "$root"
  printf '%s\n' HOME="$root" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" \
    XDG_STATE_HOME="$root/state" XDG_CACHE_HOME="$root/cache" XDG_RUNTIME_DIR="$root" \
    QT_QPA_PLATFORM=offscreen TZ=UTC
}
