"""The two ways tarn-pack fails: a refused input or failed step, and a malformed command line."""


class PackError(Exception):
    """A refused input or a failed step: reported as one line, exit code 1."""


class UsageError(Exception):
    """A malformed command line: reported with a hint, exit code 2."""
