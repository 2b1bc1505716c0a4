Name=bad À¯ overlong
