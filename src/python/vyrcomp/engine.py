"""Engine models and their operating points."""

__all__ = []
