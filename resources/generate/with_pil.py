"""Imported first by the generator's scripts: makes sure PIL can be imported.
Debian's python3-pil serves the system interpreter; another python3 that
comes first on the PATH may lack it, and then the script starts again under
/usr/bin/python3."""

import os
import sys

try:
    import PIL  # noqa: F401
except ImportError:
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3") and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise
