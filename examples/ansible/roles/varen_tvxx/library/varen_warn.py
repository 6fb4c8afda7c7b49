#!/usr/bin/python
# Shows a warning and changes nothing: how the role reports a host that is
# ok although setup did not install there.
from ansible.module_utils.basic import AnsibleModule


def main():
    module = AnsibleModule(argument_spec={"msg": {"type": "str", "required": True}},
                           supports_check_mode=True)
    module.warn(module.params["msg"])
    module.exit_json(changed=False, msg=module.params["msg"])


if __name__ == "__main__":
    main()
