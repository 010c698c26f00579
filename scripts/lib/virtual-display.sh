# Sourced by the scripts that show wine's windows: a virtual display of their
# own unless DISPLAY names one; it ends with the script.
if [ -z "${DISPLAY:-}" ]; then
  display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null' EXIT
  export DISPLAY="$display"
  sleep 1
fi
