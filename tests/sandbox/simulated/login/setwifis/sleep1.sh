#!/bin/sh
# Simulated terminal: waits one second.
sleep 1
