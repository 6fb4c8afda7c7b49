#!/usr/bin/python
# Makes what the role needs on the host without following a link another
# user could have put there: the missing directories of each path in dirs
# (root, mode; an existing directory is used as it is, never chmodded or
# chowned), and with stage_parent a fresh stage directory of this run's in
# it (the parent made root 0700 when missing). Every path must lead from /
# through directories only root may change.
import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.varen_chain import chain_problem, closed_problem, make_dirs


def main():
    module = AnsibleModule(argument_spec={
        "dirs": {"type": "list", "elements": "str", "default": []},
        "mode": {"type": "raw", "default": "0755"},
        "stage_parent": {"type": "str", "default": ""},
    }, supports_check_mode=False)
    p = module.params
    mode = int(str(p["mode"]), 8)
    changed = False
    for path, path_mode in [(d, mode) for d in p["dirs"]] + ([(p["stage_parent"], 0o700)] if p["stage_parent"] else []):
        why, made = make_dirs(path, path_mode)
        changed = changed or made
        if why:
            module.fail_json(msg="%s cannot be used: %s" % (path, why), changed=changed)
    stage = ""
    if p["stage_parent"]:
        stage = tempfile.mkdtemp(prefix="run.", dir=p["stage_parent"])
        why = closed_problem(stage, os.lstat(stage)) or chain_problem(stage, False)[0]
        if why:
            module.fail_json(msg="the stage %s cannot be used: %s" % (stage, why), changed=True)
    module.exit_json(changed=changed, path=stage)


if __name__ == "__main__":
    main()
