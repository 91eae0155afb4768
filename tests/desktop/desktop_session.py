"""Kept for the scripts that import it by this name: the checks' shared parts live in tests/support."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from whole_program import *  # noqa: E402,F401,F403
