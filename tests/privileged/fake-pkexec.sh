#!/bin/sh
# Plays pkexec for the tests. FAKE_PKEXEC_MODE says how the user answers the dialog; each
# call is recorded in FAKE_PKEXEC_LOG with its process id, which the helper keeps when it
# is started in its place.
printf '%s %s\n' "$$" "$*" >>"$FAKE_PKEXEC_LOG"
case "$FAKE_PKEXEC_MODE" in
grant)
  exec "$@"
  ;;
dismiss)
  echo "Error executing command as another user: Request dismissed" >&2
  exit 126
  ;;
refuse)
  printf 'Error executing command as another user: Not authorized\n\nThis incident has been reported.\n' >&2
  exit 127
  ;;
no-agent)
  echo "Error executing command as another user: No authentication agent found." >&2
  exit 127
  ;;
no-terminal)
  echo "Error creating textual authentication agent: Error opening current controlling terminal for the process (\`/dev/tty'): No such device or address" >&2
  exit 127
  ;;
*)
  echo "fake pkexec: unknown mode '$FAKE_PKEXEC_MODE'" >&2
  exit 2
  ;;
esac
