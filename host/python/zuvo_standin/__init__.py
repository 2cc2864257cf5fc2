"""Test helpers of the stand-in host toolkit (never shipped with the fast layer)."""
