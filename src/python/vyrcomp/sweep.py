"""Sweeps of engine points over ranges of inputs."""

__all__ = ["sweep"]


def sweep(*args, **kwargs):
    """Runs an engine model over a grid of inputs."""
    raise NotImplementedError("vyrcomp.sweep is not available yet")
