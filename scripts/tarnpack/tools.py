"""The programs tarn-pack starts: finding them, running them, reading what they print."""
import os

from .errors import PackError


def which(program):
    """Whether program, a path or a name to look up on PATH, can be run."""
    if os.sep in program:
        candidates = [program]
    else:
        candidates = [os.path.join(d or ".", program) for d in os.environ.get("PATH", os.defpath).split(os.pathsep)]
    return any(os.path.isfile(path) and os.access(path, os.X_OK) for path in candidates)


def run(cmd, what):
    """Runs cmd to its end with its output collected; raises PackError with the output when it fails."""
    out, child_out = os.pipe()
    try:
        pid = os.posix_spawnp(cmd[0], cmd, os.environ, file_actions=[(os.POSIX_SPAWN_DUP2, child_out, 1),
                                                                     (os.POSIX_SPAWN_DUP2, child_out, 2)])
    except OSError as e:
        os.close(out)
        raise PackError(f"{what} failed: {cmd[0]}: {e.strerror}")
    finally:
        os.close(child_out)
    with open(out, "rb") as pipe:
        output = pipe.read()
    code = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
    if code != 0:
        raise PackError(f"{what} failed (exit code {code}):\n{output.decode('utf-8', 'replace').strip()}")


def capture(cmd, merged=False):
    """Runs cmd to its end: the run, its output (and error output, merged into it when asked) as bytes."""
    import subprocess
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT if merged else subprocess.PIPE)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
