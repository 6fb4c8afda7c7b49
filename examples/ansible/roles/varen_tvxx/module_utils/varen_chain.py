# Whether root may trust a directory: every directory from / down to it is
# root's, no symbolic link, and writable by nobody else (a sticky directory
# such as /tmp is refused too: others may still add names in it). Shared by
# the role's modules.
import os
import stat


def components(path):
    """The names of the absolute path, or None when it is not absolute or
    holds "." or ".."."""
    if not path.startswith("/"):
        return None
    names = [name for name in path.split("/") if name]
    if any(name in (".", "..") for name in names):
        return None
    return names


def closed_problem(path, st):
    """Why the directory entry at path (its lstat st) is not a directory
    only root may change ("" when it is)."""
    if stat.S_ISLNK(st.st_mode):
        return "%s is a symbolic link" % path
    if not stat.S_ISDIR(st.st_mode):
        return "%s is not a directory" % path
    if st.st_uid != 0:
        return "%s belongs to user id %d, not root" % (path, st.st_uid)
    if st.st_mode & 0o022:
        return "others than root may change %s (mode %o)" % (path, stat.S_IMODE(st.st_mode))
    return ""


def chain_problem(path, allow_missing):
    """Why path cannot be trusted ("" when it can), and the first missing
    directory of it ("" when it exists). A missing part is a problem unless
    allow_missing."""
    names = components(path)
    if names is None:
        return "%s is not an absolute path without . or .." % path, ""
    cur = "/"
    for i in range(len(names) + 1):
        if i > 0:
            cur = "/" + "/".join(names[:i])
        try:
            st = os.lstat(cur)
        except FileNotFoundError:
            return ("" if allow_missing else "%s is missing" % cur), cur
        except OSError as err:
            return "%s cannot be examined: %s" % (cur, err.strerror), ""
        why = closed_problem(cur, st)
        if why:
            return why, ""
    return "", ""


def make_dirs(path, mode):
    """Makes the missing directories of path, whose chain is checked
    first, one at a time, each checked right after: mkdir never follows a
    link, and a made directory is root's with no write for others. Returns
    why it could not ("" when done) and whether it made one."""
    why, missing = chain_problem(path, True)
    if why or not missing:
        return why, False
    names = components(path)
    for i in range(len(components(missing)), len(names) + 1):
        cur = "/" + "/".join(names[:i])
        try:
            os.mkdir(cur, 0o700)
            # The mode set through the directory itself, whatever the umask.
            fd = os.open(cur, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW)
            try:
                os.fchmod(fd, mode)
                st = os.fstat(fd)
            finally:
                os.close(fd)
        except OSError as err:
            return "%s cannot be made: %s" % (cur, err.strerror), True
        why = closed_problem(cur, st)
        if why:
            return why, True
    return "", True
