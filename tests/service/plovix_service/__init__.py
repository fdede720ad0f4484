"""The local classroom service: plays the school's servers for the tests and the demo."""
