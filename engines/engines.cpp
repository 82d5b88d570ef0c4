// Engine processes.
